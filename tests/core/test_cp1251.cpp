#include "core/cp1251.h"

#include <gtest/gtest.h>

namespace {

// clang-format off
struct Case {
    const char* bytes;  // Windows-1251
    const char* utf8;
};
const Case kCases[] = {
    {"",                             ""},
    {"exam.bin",                     "exam.bin"},
    {"\xEE\xEF\xFB\xF2-7.bin",       "\xD0\xBE\xD0\xBF\xD1\x8B\xD1\x82-7.bin"},  // опыт-7.bin
    {"\xA8\xB8",                     "\xD0\x81\xD1\x91"},                          // Ёё
    {"\x88\xB9",                     "\xE2\x82\xAC\xE2\x84\x96"},                  // €№
    {"\x98",                         "\xC2\x98"},  // no character: the C1 control, both ways
};
// clang-format on

TEST(Cp1251, DecodesAndEncodesBothWays) {
    for (const Case& c : kCases) {
        EXPECT_EQ(cp1251::ToUtf8(c.bytes), c.utf8) << c.bytes;
        EXPECT_EQ(cp1251::FromUtf8(c.utf8), std::string(c.bytes)) << c.bytes;
        EXPECT_TRUE(cp1251::IsUtf8(c.utf8));
    }
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(cp1251::FromUtf8(cp1251::ToUtf8(byte)), byte) << b;
    }
}

TEST(Cp1251, RefusesWhatItCannotCarry) {
    for (const char* text :
         {"\xC3\xA4",  // ä: no byte in the code page
          "\xEE\xEF", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"}) {
        EXPECT_FALSE(cp1251::FromUtf8(text)) << text;
    }
    for (const char* text :
         {"\xEE\xEF", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"})
        EXPECT_FALSE(cp1251::IsUtf8(text)) << text;
}

}  // namespace
