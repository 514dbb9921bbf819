#include <gtest/gtest.h>

#include "files/PersonFileName.h"

namespace kalden {
namespace {

// What each file system refuses, what could hide or turn the name round,
// bytes that are no UTF-8 and an overlong name; letters of every script stay.
TEST(PersonFileName, ThePersonAndTheDateMadeSafeForEveryFileSystem) {
    struct Row {
        std::string person;
        std::string testing;
        std::string name;
    };
    const Row rows[] = {
        {"Ann B.", "2026-03-01", "Ann B. 2026-03-01 summary.odt"},
        {"", "2026-03-01", "summary.odt"},
        {"Ann B.", "", "Ann B. summary.odt"},
        {"../../etc/pass:wd", "2026-03-01", "etcpasswd 2026-03-01 summary.odt"},
        {"  A<b>*?|\"\\  B\t\r\nC  ", "2026-03-01", "Ab B C 2026-03-01 summary.odt"},
        {"Zoë \u0416\u0435\u043d\u044f \u674e", "2026-03-01",
         "Zoë \u0416\u0435\u043d\u044f \u674e 2026-03-01 summary.odt"},
        {"Ann\u202Etxt.exe", "2026-03-01", "Anntxt.exe 2026-03-01 summary.odt"},
        {"Ann\xff\xfe B", "2026-03-01", "Ann B 2026-03-01 summary.odt"},
        {"...", "2026-03-01", "summary.odt"},
        {std::string(58, 'x') + " \u00e9\u00e9", "2026-03-01", std::string(58, 'x') + " 2026-03-01 summary.odt"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(personFileName(Session{r.person, {}, r.testing, {}, {}}, "summary", "odt"), r.name) << r.person;
}

} // namespace
} // namespace kalden
