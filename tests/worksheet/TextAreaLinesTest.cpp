#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "worksheet/TextAreaLines.h"

using namespace kalden;

namespace {

// Every front end (the worksheet's notes, batch cells, the page, --note)
// takes a typed text apart by this one rule.
TEST(TextAreaLines, EveryBreakEndsALineAndAFinalBreakStartsNone) {
    struct Row {
        std::string text;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\n\n", {"a", ""}},
        {"\n", {""}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\rb\n", {"a", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\xE2\x80\xA8"
         "b\xE2\x80\xA9"
         "c",
         {"a", "b", "c"}},
        {"a\xE2\x80\xA9", {"a"}},
        // Neither U+2027 nor a cut-off separator is a break.
        {"x\xE2\x80\xA7y", {"x\xE2\x80\xA7y"}},
        {"x\xE2\x80", {"x\xE2\x80"}},
        {" \t ", {" \t "}},
    };
    for (const Row& row : rows) EXPECT_EQ(textAreaLines(row.text), row.lines) << "text: " << row.text;
}

} // namespace
