#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/choice_text.h"

namespace {

// clang-format off
const std::vector<std::string> kClock   = {"Внутренний", "Внешний"};
const std::vector<std::string> kWork    = {"Работа с OSMIR файл data.bin", "Прямая запись в файл"};
const std::vector<std::string> kSync    = {" 1 - по старту ввода", " 2 -  программный"};
const std::vector<std::string> kMaster  = {" 0 - SLAVE", " 1- SINGLE", " 2 - MASTER"};
const std::vector<std::string> kStart   = {" 0 - программный", " 2-  SDX", " 4 - SYNX"};
const std::vector<std::string> kSamples = {" 1024", " 2048", " 4096", " 8192", "16384"};
const std::vector<std::string> kYo      = {"Ёмкость", "Ѐ ѐ"};  // capitals U+0400..U+040F
// clang-format on

struct ChoiceCase {
    const char* typed;
    const std::vector<std::string>* items;
    int expected;
};

void PrintTo(const ChoiceCase& c, std::ostream* out) {
    *out << '\'' << c.typed << '\'';
}

// clang-format off
const ChoiceCase kChoices[] = {
    // The number an item begins with, not its position.
    {"2",                     &kMaster,   2},
    {" 0 ",                   &kMaster,   0},
    {"02",                    &kMaster,   2},
    {"3",                     &kMaster,  -1},
    {"1",                     &kSync,     0},
    {"2",                     &kSync,     1},
    {"0",                     &kSync,    -1},
    {"4",                     &kStart,    2},
    {"1",                     &kStart,   -1},
    {"2048",                  &kSamples,  1},
    {"16384",                 &kSamples,  4},
    {"16 384",                &kSamples,  4},
    {"2",                     &kSamples, -1},
    {"512",                   &kSamples, -1},
    {"99999999999999999999",  &kSamples, -1},
    {"-2",                    &kMaster,  -1},
    // The whole text, blanks and case aside.
    {"2-master",              &kMaster,   2},
    {" 1 - single",           &kMaster,   1},
    {"\t2 - master\t",        &kMaster,   2},
    {"\t2\t",                 &kMaster,   2},
    {"slave",                 &kMaster,  -1},
    {"2-sdx",                 &kStart,    1},
    {"внешний",               &kClock,    1},
    {"ВНУТРЕННИЙ",            &kClock,    0},
    {"Внеш",                  &kClock,   -1},
    {"ёМКОСТЬ",               &kYo,       0},
    {"ѐЀ",                    &kYo,       1},
    {"прямая запись в файл",  &kWork,     1},
    {"ПРЯМАЯЗАПИСЬВФАЙЛ",     &kWork,     1},
    {"работа с osmir файл data.bin", &kWork, 0},
    {"2 - программный",       &kSync,     1},
    // Lists without numbers are named by text only.
    {"1",                     &kClock,   -1},
    {"0",                     &kWork,    -1},
    // Nothing names nothing; a stray key names nothing.
    {"",                      &kMaster,  -1},
    {"   ",                   &kSamples, -1},
    {"q",                     &kMaster,  -1},
    {"2q",                    &kMaster,  -1},
    {"2 - MASTER x",          &kMaster,  -1},
};
// clang-format on

class ChoiceText : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChoiceText, NamesTheItem) {
    EXPECT_EQ(ChoiceFromText(GetParam().typed, *GetParam().items), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ChoiceText, ::testing::ValuesIn(kChoices));

}  // namespace
