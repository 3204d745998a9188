#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <string_view>

#include "text/dvrText.h"

using namespace std::string_view_literals;

TEST(dvrTextTest, toIntReadsTheLeadingDecimalNumber) {
    const struct {
        std::string_view text;
        int expected;
    } cases[] = {
        {"", 0},
        {"42", 42},
        {"007", 7},
        {"  42", 42},
        {"\t\r\n 7", 7},
        {"-17", -17},
        {"+8", 8},
        {"12abc", 12},
        {"3.9", 3},
        {"1 2", 1},
        {"abc", 0},
        {"-", 0},
        {"- 5", 0},
        {"+-5", 0},
        {"--5", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"99999999999999999999999", INT_MAX},
        {"-99999999999999999999999", INT_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dvrText::toInt(c.text), c.expected) << "text \"" << c.text << "\"";
}

TEST(dvrTextTest, toRealReadsTheLongestNumericPrefix) {
    const struct {
        std::string_view text;
        double expected;
    } cases[] = {
        {"", 0},
        {"0.5", 0.5},
        {"  -2.25", -2.25},
        {"+3", 3},
        {".5", 0.5},
        {"5.", 5},
        {"1e3", 1000},
        {"1e", 1},
        {"1.5x", 1.5},
        // A decimal comma is not a decimal point, whatever the locale says.
        {"1,5", 1},
        {"abc", 0},
        {"-", 0},
        {"+-5", 0},
        {"-+5", 0},
        {"++5", 0},
        {"inf", 0},
        {"-infinity", 0},
        {"nan", 0},
        {"1e999", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dvrText::toReal(c.text), c.expected) << "text \"" << c.text << "\"";
}

TEST(dvrTextTest, fixedMatchesPrintfInTheCLocale) {
    const double values[] = {0,    0.5,      -1.25,  2.5,     3.5,   0.125,     1.0 / 3, -0.0001,
                             1e10, 123.4567, 0.1f,   -2.675, 1e300, 4294967296, 0.00005};
    const int decimalCounts[] = {0, 1, 2, 4, 6};
    for (double value : values) {
        for (int decimals : decimalCounts) {
            char expected[512];
            std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
            EXPECT_EQ(dvrText::fixed(value, decimals), expected) << "value " << value << ", decimals " << decimals;
        }
    }
    EXPECT_EQ(dvrText::fixed(0.5, 4), "0.5000");
    EXPECT_EQ(dvrText::fixed(0.1f, 6), "0.100000");
}

TEST(dvrTextTest, cutKeepsWholeCharacters) {
    // "é" is two bytes, "€" three, "😀" four.
    const struct {
        std::string_view text;
        std::size_t maxBytes;
        std::string_view expected;
    } cases[] = {
        {"hello", 10, "hello"},
        {"hello", 5, "hello"},
        {"hello", 3, "hel"},
        {"abc", 0, ""},
        {"", 0, ""},
        {"a\xC3\xA9", 2, "a"},
        {"a\xC3\xA9", 3, "a\xC3\xA9"},
        {"\xE2\x82\xAC", 1, ""},
        {"\xE2\x82\xAC", 2, ""},
        {"a\xE2\x82\xAC" "b", 4, "a\xE2\x82\xAC"},
        {"\xF0\x9F\x98\x80x", 3, ""},
        {"\xF0\x9F\x98\x80x", 4, "\xF0\x9F\x98\x80"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dvrText::cut(c.text, c.maxBytes), c.expected) << "max " << c.maxBytes;

    // Every cut of a mixed text is the longest prefix that ends on a character boundary.
    const std::string mixed = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z\xC3\xA9";
    for (std::size_t maxBytes = 0; maxBytes <= mixed.size() + 1; ++maxBytes) {
        std::string piece = dvrText::cut(mixed, maxBytes);
        std::size_t boundary = std::min(maxBytes, mixed.size());
        while (boundary > 0 && boundary < mixed.size() &&
               (static_cast<unsigned char>(mixed[boundary]) & 0xC0) == 0x80)
            --boundary;
        EXPECT_EQ(piece, mixed.substr(0, boundary)) << "max " << maxBytes;
    }
}

TEST(dvrTextTest, singleLineBlanksControlCharacters) {
    const struct {
        std::string_view text;
        std::string_view expected;
    } cases[] = {
        {"plain text", "plain text"},
        {"a\nb", "a b"},
        {"a\r\nset global global x int 1", "a  set global global x int 1"},
        {"tab\tkept", "tab\tkept"},
        {"nul\0here"sv, "nul here"},
        {"del\x7F", "del "},
        {"\x1B[0m", " [0m"},
        {"caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dvrText::singleLine(c.text), c.expected);
}

TEST(dvrTextTest, equalsIgnoringCaseFoldsAsciiLettersOnly) {
    const struct {
        std::string_view a;
        std::string_view b;
        bool expected;
    } cases[] = {
        {"", "", true},
        {"Set", "sET", true},
        {"com1", "COM1", true},
        {"tooltips_enabled", "TOOLTIPS_ENABLED", true},
        {"set", "sets", false},
        {"set", "", false},
        {"a", "b", false},
        // Letters differ from these punctuation marks by the case bit alone.
        {"[", "{", false},
        {"@", "`", false},
        {"_", "\x7F", false},
        {"\xC3\xA9", "\xC3\x89", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dvrText::equalsIgnoringCase(c.a, c.b), c.expected) << '"' << c.a << "\" vs \"" << c.b << '"';
        EXPECT_EQ(dvrText::equalsIgnoringCase(c.b, c.a), c.expected) << '"' << c.b << "\" vs \"" << c.a << '"';
    }
}
