// Number texts of the window: fixed point with P significant digits and D decimals, rounded half
// away from zero, scientific when the integer part needs more than P digits.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "ui/number_display.h"

namespace {

struct FixedCase {
    double value;
    int precision;
    int decimals;
    const char* expected;  // with '.' as separator
};

// clang-format off
const FixedCase kFixedCases[] = {
    // The frequency rule (P = 10, D = 0).
    {10700000,        10, 0, "10700000"},
    {2.5,             10, 0, "3"},
    {0.4,             10, 0, "0"},
    {10000000000.0,   10, 0, "1E10"},
    {12345678901.0,   10, 0, "1.23456789E10"},
    // The threshold rule (P = 3, D = 1).
    {1.0,             3,  1, "1.0"},
    {1.26,            3,  1, "1.3"},
    {123.45,          3,  1, "123.0"},
    {999.96,          3,  1, "1E3"},
    {-0.04,           3,  1, "0.0"},
    // Signs, carries and the edges of the two forms.
    {-2.5,            10, 0, "-3"},
    {-1.26,           3,  1, "-1.3"},
    {0.0,             10, 0, "0"},
    {-0.0,            3,  1, "0.0"},
    {0.05,            3,  1, "0.1"},
    {0.25f,           3,  1, "0.3"},
    {9999999999.0,    10, 0, "9999999999"},
    {9999999999.5,    10, 0, "1E10"},
    {-12345678901.0,  10, 0, "-1.23456789E10"},
    {10700015.0f,     10, 0, "10700015"},
    {99.95,           3,  1, "100.0"},
    {1234.0,          3,  1, "1.23E3"},
    {2.5f,            3,  1, "2.5"},
    {100000000.0,     10, 0, "100000000"},
    {0.0004,          10, 0, "0"},
};
// clang-format on

std::string WithSeparator(std::string text, char separator) {
    for (char& c : text) {
        if (c == '.') {
            c = separator;
        }
    }
    return text;
}

class FixedPointTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedPointTest, PointSeparator) {
    const FixedCase& c = GetParam();
    EXPECT_EQ(FormatFixed(c.value, c.precision, c.decimals, '.'), c.expected);
}

TEST_P(FixedPointTest, CommaSeparator) {
    const FixedCase& c = GetParam();
    EXPECT_EQ(FormatFixed(c.value, c.precision, c.decimals, ','), WithSeparator(c.expected, ','));
}

INSTANTIATE_TEST_SUITE_P(Table, FixedPointTest, ::testing::ValuesIn(kFixedCases));

TEST(FixedPoint, FrequencyAndThresholdUseTheirRules) {
    EXPECT_EQ(FormatFrequency(12345678901.0, ','), "1,23456789E10");
    EXPECT_EQ(FormatThreshold(1.0f, ','), "1,0");
}

TEST(FixedPoint, NotANumberAndInfinityAreNamed) {
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 10, 0, '.'), "NAN");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 10, 0, '.'), "INF");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 3, 1, '.'), "-INF");
}

}  // namespace
