#pragma once

#include <string>
#include <string_view>

namespace kalden {

// One person is one person however the name was typed: "Bob C.", "bob c"
// and "BOB  C" are matched by one key, the name in lower case without its
// blanks and punctuation. Letters of the Latin, Greek and Cyrillic alphabets
// are folded; other characters are kept as they are.
std::string personKey(std::string_view person);

// The characters (not bytes) to insert, delete or replace to turn key `a`
// into key `b`.
int keyDistance(std::string_view a, std::string_view b);

// Whether two different keys differ by so little that they may be one
// person mistyped: by one or two characters, and by less than half of the
// shorter ("bobc" and "bobd" are near; "al" and "bo" are not).
bool nearPerson(std::string_view keyA, std::string_view keyB);

// "one character" or "two characters", for a question about a near match.
std::string distanceText(int distance);

} // namespace kalden
