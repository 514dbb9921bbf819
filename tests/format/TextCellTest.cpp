#include <gtest/gtest.h>

#include <random>
#include <string>

#include "format/CsvText.h"
#include "format/JsonText.h"
#include "format/VisibleText.h"

#ifdef KALDEN_HAVE_NLOHMANN_JSON
#include <nlohmann/json.hpp>
#endif

using namespace kalden;

namespace {

TEST(CsvCell, QuotesWhatASpreadsheetWouldSplitAndGuardsFormulas) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"Smith, J.", "\"Smith, J.\""},
        {"say \"no\"", "\"say \"\"no\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\rhere", "\"cr\rhere\""},
        {" leading", " leading"},
        {"trailing ", "trailing "},
        {"=1+1", "\"'=1+1\""},
        {"=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
        {"+44 20", "\"'+44 20\""},
        {"-5 points", "\"'-5 points\""},
        {"@SUM(A1)", "\"'@SUM(A1)\""},
        {"\tindented", "\"'\tindented\""},
        {"\rstart", "\"'\rstart\""},
        {"a=b", "a=b"},
        {"12.5", "12.5"},
        {"'=1+1", "\"''=1+1\""},
        {"'quoted", "'quoted"},
    };
    for (const auto& [text, cell] : cases) {
        EXPECT_EQ(csvCell(text), cell) << text;
        std::string appended = "x,";
        appendCsvCell(appended, text);
        EXPECT_EQ(appended, "x," + cell) << text;
    }
}

TEST(CsvCell, TheGuardIsDroppedWhenACellIsReadBack) {
    for (const std::string text :
         {"=1+1", "+44", "-5", "@x", "\tx", "\rx", "'quoted", "'", "''=x", "'=1+1", "'+44", "'", "plain"}) {
        std::string unquoted = csvCell(text);
        if (unquoted.size() >= 2 && unquoted.front() == '"') {
            unquoted = unquoted.substr(1, unquoted.size() - 2);
            for (std::size_t at = unquoted.find("\"\""); at != std::string::npos; at = unquoted.find("\"\"", at + 1))
                unquoted.erase(at, 1);
        }
        EXPECT_EQ(withoutFormulaGuard(unquoted), text) << text;
    }
}

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "\"\""},
        {"plain", "\"plain\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"\b\t\n\f\r", "\"\\b\\t\\n\\f\\r\""},
        {std::string("\x00\x01\x1f", 3), "\"\\u0000\\u0001\\u001f\""},
        {"\x7f", "\"\x7f\""},
        {"/", "\"/\""},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
    };
    for (const auto& [text, json] : cases) EXPECT_EQ(jsonString(text), json);
}

TEST(JsonString, BytesThatAreNotUtf8BecomeReplacementCharacters) {
    const std::string r = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"\xFF", r},                          // starts nothing
        {"\x80", r},                          // a continuation alone
        {"a\xC3", "a" + r},                   // cut off at the end
        {"\xC3z", r + "z"},                   // broken by an ASCII byte, which is kept
        {"\xC0\xAF", r + r},                  // overlong
        {"\xE0\x80\x80", r + r + r},          // overlong, three bytes
        {"\xED\xA0\x80", r + r + r},          // a surrogate
        {"\xF4\x90\x80\x80", r + r + r + r},  // beyond U+10FFFF
        {"\xE2\x82", r},                      // one replacement for the whole stub
        {"\xE2\x82\xC3\xA9", r + "\xC3\xA9"}, // the breaking byte starts the next character
        {"\xF0\x9F\x98", r},                  // four-byte stub
    };
    for (const auto& [text, body] : cases)
        EXPECT_EQ(jsonString(text), "\"" + body + "\"") << testing::PrintToString(text);
}

// Nothing in a stored text can drive a terminal or break a table's line.
TEST(VisibleText, ControlsOverridesAndStrayBytesBecomeEscapes) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain caf\xC3\xA9 \xE2\x82\xAC", "plain caf\xC3\xA9 \xE2\x82\xAC"},
        {"\x1b]0;title\x07\x1b[2J", "\\x1b]0;title\\x07\\x1b[2J"},
        {"tab\there\r\n", "tab\\x09here\\x0d\\x0a"},
        {"del\x7f", "del\\x7f"},
        {"\xC2\x85\xC2\x9B\xC2\xA0", "\\u0085\\u009b\xC2\xA0"}, // C1 controls; a no-break space stays
        {"\xE2\x80\xAE\xE2\x80\xAA\xE2\x81\xA6\xE2\x81\xA9", "\\u202e\\u202a\\u2066\\u2069"},
        {"\xE2\x80\xA8\xE2\x80\xA9\xE2\x80\x8E\xD8\x9C", "\\u2028\\u2029\\u200e\\u061c"},
        {"\x9b"
         "1m \xC3",
         "\\x9b1m \\xc3"}, // not UTF-8: a raw C1 byte, a cut sequence
    };
    for (const auto& [text, shown] : cases) EXPECT_EQ(visibleText(text), shown) << testing::PrintToString(text);
    EXPECT_EQ(visibleText("two\nlines", true), "two\nlines");
}

#ifdef KALDEN_HAVE_NLOHMANN_JSON
// The writer replaced nlohmann-json's in the batch output, whose bytes must
// not change: both give the same text for any bytes at all.
TEST(JsonString, WritesWhatNlohmannJsonWrites) {
    const std::string alphabet[] = {"a",    "\"",   "\\",   "\n",   std::string(1, '\0'),
                                    "\x1f", "\x7f", "\x80", "\xBF", "\xC2",
                                    "\xC3", "\xDF", "\xE0", "\xE2", "\xED",
                                    "\xEF", "\xF0", "\xF4", "\xF5", "\xFF",
                                    "\xA0", "\x90", "\x8F", "\xC0"};
    std::mt19937 random(2026);
    std::uniform_int_distribution<std::size_t> length(0, 10);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
    for (int trial = 0; trial < 50000; ++trial) {
        std::string text;
        for (std::size_t n = length(random); n > 0; --n) text += alphabet[pick(random)];
        const std::string expected =
            nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        ASSERT_EQ(jsonString(text), expected) << testing::PrintToString(text);
    }
}
#endif

} // namespace
