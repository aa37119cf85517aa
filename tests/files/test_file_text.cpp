#include "files/file_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

#include "file_test_support.h"

using namespace files;

namespace {

struct IntegerCase {
    const char* text;
    int32_t value;
};

// clang-format off
const IntegerCase kIntegerCases[] = {
    {"0XFF",                     255},
    {"0xff",                     255},
    {"255",                      255},
    {"ff",                       0},          // no prefix: decimal, and no digit
    {"0xffffffff",               -1},
    {"0xFFFFFFFF",               -1},
    {"4294967295",               -1},
    {"-1",                       -1},
    {"0x80000000",               INT32_MIN},
    {"2147483648",               INT32_MIN},
    {"-2147483648",              INT32_MIN},
    {"-4294967295",              1},          // modulo 2^32
    {"0x0000000000ff",           255},        // leading zeros add no magnitude
    {"007",                      7},          // decimal, not octal
    {"0x100000000",              -1},         // beyond 32 bits: all bits set
    {"0x123456789abcdef0123",    -1},
    {"4294967296",               -1},
    {"-4294967296",              -1},
    {"99999999999999999999999",  -1},
    {"",                         0},
    {"abc",                      0},
    {"0x",                       0},
    {"0xg1",                     0},
    {"0x-5",                     0},
    {"-0x10",                    0},          // a sign makes it decimal: "-0"
    {"+7",                       7},
    {"- 5",                      0},
    {" \t\v12",                  12},
    {"12abc",                    12},
    {"1e3",                      1},
    {"12.7",                     12},
    {"0x1F\t\t;comment",         31},
};
// clang-format on

TEST(FileText, IntegerFromTextTakesTheLongestPrefixModulo2To32) {
    for (const IntegerCase& c : kIntegerCases)
        EXPECT_EQ(IntegerFromText(c.text), c.value) << '"' << c.text << '"';
}

TEST(FileText, DecimalFromTextIsDecimalOnlyAndSaturates) {
    // clang-format off
    const IntegerCase cases[] = {
        {"4096",                  4096},
        {" 12 KB",                12},
        {"-5",                    -5},
        {"0x10",                  0},
        {"",                      0},
        {"kb",                    0},
        {"2147483647",            INT32_MAX},
        {"2147483648",            INT32_MAX},
        {"4294967295",            INT32_MAX},
        {"-2147483648",           INT32_MIN},
        {"-2147483649",           INT32_MIN},
        {"99999999999999999999",  INT32_MAX},
    };
    // clang-format on
    for (const IntegerCase& c : cases)
        EXPECT_EQ(DecimalFromText(c.text), c.value) << '"' << c.text << '"';
}

TEST(FileText, RealFromTextTakesTheLongestDecimalPrefix) {
    struct Case {
        const char* text;
        double value;
    };
    // clang-format off
    const Case cases[] = {
        {"1.26",          1.26},
        {"100000000.0",   100000000.0},
        {"10700015.0",    10700015.0},
        {".5",            0.5},
        {"5.",            5.0},
        {"-2.5e-1",       -0.25},
        {"1.5E3",         1500.0},
        {"+4",            4.0},
        {" \t3.5x",       3.5},
        {"1,5",           1.0},   // a comma ends the number, whatever the locale
        {"1e",            1.0},
        {"1e+",           1.0},
        {"2e-x",          2.0},
        {"",              0.0},
        {".",             0.0},
        {"-",             0.0},
        {"abc",           0.0},
        {"inf",           0.0},
        {"nan",           0.0},
        {"0x10",          0.0},
        {"1e999",         DBL_MAX},
        {"-1e999",        -DBL_MAX},
        {"999e306",       DBL_MAX},
        {"1e-999",        0.0},
        {"1000e-1000",    0.0},
        {"0.0001e310",    1e306},
        {"1e99999999999999999999", DBL_MAX},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(RealFromText(c.text), c.value) << '"' << c.text << '"';
        // The value is written back: "-" must not come back as "-0.0".
        EXPECT_EQ(std::signbit(RealFromText(c.text)), std::signbit(c.value))
            << '"' << c.text << '"';
    }
}

TEST(FileText, ToSingleSaturatesBeyondTheFloatRange) {
    EXPECT_EQ(ToSingle(1e300), FLT_MAX);
    EXPECT_EQ(ToSingle(-1e300), -FLT_MAX);
    EXPECT_EQ(ToSingle(DBL_MAX), FLT_MAX);
    EXPECT_EQ(ToSingle(1.3), 1.3f);
    EXPECT_EQ(ToSingle(10700015.0), 10700015.0f);
}

TEST(FileText, FixedTextRoundsTheExactBinaryValueAsPrintfDoes) {
    struct Case {
        double value;
        int decimals;
        const char* text;
    };
    // clang-format off
    const Case cases[] = {
        {1.26f,              1, "1.3"},
        {1.0f,               1, "1.0"},
        {0.25,               1, "0.2"},    // an exact tie goes to even
        {0.35,               1, "0.3"},    // 0.34999999999999997...
        {0.45,               1, "0.5"},    // 0.45000000000000001...
        {1.45f,              1, "1.5"},    // the float is 1.45000004...
        {0.05f,              1, "0.1"},
        {0.15,               1, "0.1"},
        {-0.04,              1, "-0.0"},
        {110000000.0,        1, "110000000.0"},
        {10700015.0f,        1, "10700015.0"},
        {21400000.0f,        1, "21400000.0"},
        {1e20,               1, "100000000000000000000.0"},
        {FLT_MAX,            1, "340282346638528859811704183484516925440.0"},
        {1.0f,               2, "1.00"},
        {2.675,              2, "2.67"},
        {0.125,              2, "0.12"},
        {0.375,              2, "0.38"},
        {-2.345f,            2, "-2.35"},
        {1.5,                4, "1.5000"},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(FixedText(c.value, c.decimals), c.text) << c.value;
    EXPECT_EQ(FixedText(DBL_MAX, 1).size(), 309u + 2u);
}

TEST(FileText, IntegersAsThePrintfFormatsSpellThem) {
    EXPECT_EQ(DecimalText(1024), "1024");
    EXPECT_EQ(DecimalText(-1), "-1");
    EXPECT_EQ(DecimalText(INT32_MIN), "-2147483648");
    EXPECT_EQ(UnsignedText(-1), "4294967295");
    EXPECT_EQ(UnsignedText(INT32_MIN), "2147483648");
    EXPECT_EQ(UnsignedText(0), "0");
    EXPECT_EQ(HexText(0xffff, HexCase::Lower), "ffff");
    EXPECT_EQ(HexText(0xffff, HexCase::Upper), "FFFF");
    EXPECT_EQ(HexText(0xAb, HexCase::Upper), "AB");
    EXPECT_EQ(HexText(-1, HexCase::Lower), "ffffffff");
    EXPECT_EQ(HexText(-2, HexCase::Upper), "FFFFFFFE");
    EXPECT_EQ(HexText(INT32_MIN, HexCase::Lower), "80000000");
    EXPECT_EQ(HexText(0, HexCase::Lower), "0");
}

TEST(FileText, ACommaLocaleChangesNothing) {
    file_tests::CommaLocale locale;
    REQUIRE_COMMA_LOCALE(locale);
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 1.5);
    ASSERT_STREQ(printed, "1,5") << "the locale is active for the C library";

    EXPECT_EQ(FixedText(1.5, 1), "1.5");
    EXPECT_EQ(FixedText(110000000.0, 1), "110000000.0");
    EXPECT_EQ(FixedText(1.0, 2), "1.00");
    EXPECT_EQ(RealFromText("1.5"), 1.5);
    EXPECT_EQ(RealFromText("1,5"), 1.0);
    EXPECT_EQ(DecimalText(1234567), "1234567");  // no thousands separator
    EXPECT_EQ(IntegerFromText("1234567"), 1234567);
}

}  // namespace
