// One person however the name was typed, and names a character or two apart
// asked about.

#include <gtest/gtest.h>

#include "report/PersonMatch.h"

using namespace kalden;

TEST(PersonMatch, KeysIgnoreCaseBlanksAndPunctuation) {
    const struct {
        const char* typed;
        const char* key;
    } cases[] = {
        {"Bob C.", "bobc"},
        {"  bob   C ", "bobc"},
        {"O'Neil-Smith, Ann", "oneilsmithann"},
        {"\xC3\x85SA \xC3\x96STERBERG", "\xC3\xA5sa\xC3\xB6sterberg"}, // Åsa Östberg in capitals
        {"\xC5\x81UKASZ \xC5\xBB.", "\xC5\x82ukasz\xC5\xBC"},          // Łukasz Ż.
        {"\xCE\x9D\xCE\x99\xCE\x9A\xCE\x9F\xCE\xA3", "\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xBF\xCF\x83"}, // ΝΙΚΟΣ
        {"\xD0\x98\xD0\x92\xD0\x90\xD0\x9D", "\xD0\xB8\xD0\xB2\xD0\xB0\xD0\xBD"},                 // ИВАН
        {"Ann\xC2\xA0"
         "B\xE2\x80\x94"
         "C",
         "annbc"}, // a no-break space and a dash
        {"P-017", "p017"},
        {"\xFF"
         "A",
         "\xFF"
         "a"}, // a byte that is no character stays itself
        {"...", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(personKey(c.typed), c.key) << c.typed;
}

TEST(PersonMatch, NearNamesDifferByOneOrTwoCharactersOfLongerNames) {
    const struct {
        const char* a;
        const char* b;
        int distance;
        bool isNear;
    } cases[] = {
        {"Bob C", "Bob D.", 1, true},
        {"Bob C.", "bob c", 0, false}, // one person, not a near one
        {"Carol D.", "Karol T.", 2, true},
        {"Carol D.", "Karl T.", 3, false},
        {"Al", "Bo", 2, false}, // too short to tell
        {"Ann", "Anne", 1, true},
        {"Zo\xC3\xAB", "Zoe", 1, true}, // characters, not bytes
        {"P017", "P018", 1, true},
        {"", "Bob", 3, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keyDistance(personKey(c.a), personKey(c.b)), c.distance) << c.a << " / " << c.b;
        EXPECT_EQ(nearPerson(personKey(c.a), personKey(c.b)), c.isNear) << c.a << " / " << c.b;
    }
}
