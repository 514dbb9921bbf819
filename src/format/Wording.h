#pragma once

#include <string>
#include <vector>

namespace kalden {

// Small words of the sentences the program writes for a reader.

// "A and B", "A, B, and C"; "A, and B" where a part holds a comma.
std::string joinWords(const std::vector<std::string>& parts);

// The text with its first letter a capital, where it is a lower-case ASCII
// letter.
std::string capitalised(std::string text);

} // namespace kalden
