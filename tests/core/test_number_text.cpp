#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "core/errors.h"
#include "core/number_text.h"

namespace {

template <class F>
std::string ErrorOf(F&& operation) {
    try {
        operation();
    } catch (const SettingsError& e) {
        return e.what();
    }
    return "(accepted)";
}

std::string RealMessage(const std::string& text) {
    return "'" + text + "' is not a valid floating point value";
}

std::string IntegerMessage(const std::string& text) {
    return "'" + text + "' is not a valid integer value";
}

struct RealCase {
    const char* text;
    char separator;
    double value;
};

// clang-format off
const RealCase kValidReals[] = {
    {"1.5",        '.', 1.5},      {"1,5",       ',', 1.5},     {"  -2.25  ", '.', -2.25},
    {"+3",         '.', 3.0},      {"0",         '.', 0.0},     {"10700015",  '.', 10700015.0},
    {"1e3",        '.', 1000.0},   {"1E+3",      '.', 1000.0},  {"2.5e-2",    '.', 0.025},
    {"1,5E2",      ',', 150.0},    {".5",        '.', 0.5},     {"5.",        '.', 5.0},
    {",5",         ',', 0.5},      {"-0",        '.', 0.0},     {"1e-400",    '.', 0.0},
    {"007.25",     '.', 7.25},     {"3.4e38",    '.', 3.4e38}, {"-1e-5",     '.', -1e-5},
    // Either separator under either locale.
    {"1.5",        ',', 1.5},      {"1,5",       '.', 1.5},     {"10.7e6",    ',', 10.7e6},
    {"10,7e6",     '.', 10.7e6},
};

const RealCase kInvalidReals[] = {
    {"",        '.', 0}, {"   ",     '.', 0}, {"1,5.5",   ',', 0}, {"1.5,5",   '.', 0},
    {"1,000.5", '.', 0}, {"1,,5",    ',', 0}, {"1 000",   '.', 0}, {"abc",     '.', 0}, {"12abc",   '.', 0},
    {" 12abc ", '.', 0}, {"1e",      '.', 0}, {"1e+",     '.', 0}, {"e5",      '.', 0},
    {".",       '.', 0}, {"+",       '.', 0}, {"-",       '.', 0}, {"inf",     '.', 0},
    {"nan",     '.', 0}, {"0x10",    '.', 0}, {"1.5.",    '.', 0}, {"--1",     '.', 0},
    {"+-1",     '.', 0}, {"1..5",    '.', 0}, {"1.5f",    '.', 0}, {"- 1",     '.', 0},
    {"1e5.5",   '.', 0}, {"1e 5",    '.', 0}, {"$10",     '.', 0}, {"1e--5",   '.', 0},
};
// clang-format on

TEST(ParseReal, AcceptsWellFormedTexts) {
    for (const RealCase& c : kValidReals) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(ParseReal(c.text, c.separator), c.value);
        EXPECT_FLOAT_EQ(ParseSingle(c.text, c.separator), static_cast<float>(c.value));
        // The value is written back: "-0" must not come back as "-0.0".
        EXPECT_EQ(std::signbit(ParseReal(c.text, c.separator)), std::signbit(c.value));
    }
}

TEST(ParseReal, RefusesOtherTextsQuotingThemUntrimmed) {
    for (const RealCase& c : kInvalidReals) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ErrorOf([&] { ParseReal(c.text, c.separator); }), RealMessage(c.text));
        EXPECT_EQ(ErrorOf([&] { ParseSingle(c.text, c.separator); }), RealMessage(c.text));
    }
}

TEST(ParseReal, MagnitudeBeyondTheTypeIsAnOverflow) {
    const std::string overflow = "Floating point overflow";
    EXPECT_EQ(ErrorOf([] { ParseReal("1e309", '.'); }), overflow);
    EXPECT_EQ(ErrorOf([] { ParseReal("-1e309", '.'); }), overflow);
    EXPECT_EQ(ErrorOf([] { ParseReal(std::string(400, '9'), '.'); }), overflow);
    EXPECT_EQ(ErrorOf([] { ParseSingle("3.5e38", '.'); }), overflow);
    EXPECT_EQ(ErrorOf([] { ParseSingle("-1E39", '.'); }), overflow);
    EXPECT_DOUBLE_EQ(ParseReal("3.5e38", '.'), 3.5e38);
    EXPECT_DOUBLE_EQ(ParseReal("-1.7e308", '.'), -1.7e308);
    EXPECT_EQ(ParseSingle("1e-50", '.'), 0.0f);
}

struct IntegerCase {
    const char* text;
    int32_t value;
};

// clang-format off
const IntegerCase kValidIntegers[] = {
    {"0", 0},                     {"123", 123},                 {"-123", -123},
    {"+123", 123},                {"  42", 42},                 {" -5", -5},
    {"007", 7},                   {"2147483647", INT32_MAX},    {"-2147483648", INT32_MIN},
    {"$FF", 255},                 {"$ff", 255},                 {"xFF", 255},
    {"XfF", 255},                 {"0x10", 16},                 {"0X7FFFFFFF", INT32_MAX},
    {"$FFFFFFFF", -1},            {"$80000000", INT32_MIN},     {"$0", 0},
    {"  $10000", 65536},          {"0xABCDEF", 0xABCDEF},
};
// clang-format on

const char* const kInvalidIntegers[] = {
    "",    "   ",   "42 ",  "2147483648", "-2147483649", "99999999999999999999",
    "$",   "x",     "0x",   "X",          "$100000000",  "0x1FFFFFFFF",
    "-$1", "$-1",   "+0x1", "0x+1",       "-0x1",        "$ FF",
    "1.0", "1e3",   "abc",  "12abc",      "0xG",         "- 5",
    "--1", "1,000", "+",    "-",          "0b101",       "$FF ",
};

TEST(ParseInteger, AcceptsDecimalAndHexTexts) {
    for (const IntegerCase& c : kValidIntegers) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseInteger(c.text), c.value);
    }
}

TEST(ParseInteger, RefusesOtherTextsQuotingThemUntrimmed) {
    for (const char* text : kInvalidIntegers) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ErrorOf([&] { ParseInteger(text); }), IntegerMessage(text));
    }
}

}  // namespace
