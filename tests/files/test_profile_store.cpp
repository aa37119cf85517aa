#include "files/profile_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_test_support.h"

using namespace std::string_literals;
using file_tests::FileTest;
using file_tests::ReadBytes;
using file_tests::WriteBytes;

namespace {

struct Write {
    std::string section, key, value;
};

struct WriteCase {
    const char* name;
    std::string input;
    std::vector<Write> writes;
    std::string expected;
};

// Expected bytes are written out by hand from the store's rules.
// clang-format off
const std::vector<WriteCase> kWriteCases = {
    {"ReplacesTheLineInPlace",
     "[S]\r\nk=1\r\nx=y\r\n",                         {{"S", "k", "2"}},
     "[S]\r\nk=2\r\nx=y\r\n"},
    {"ReplacedLfLineEndsWithCrLfOthersKeepLf",
     "[S]\nk=1\nx=y\n",                               {{"S", "k", "2"}},
     "[S]\nk=2\r\nx=y\n"},
    {"ReplacedLineTakesOurSpellingAndDropsTheOldText",
     "[s]\r\n  KEY \t=  1  ;c\r\n",                   {{"S", "Key", "v"}},
     "[s]\r\nKey=v\r\n"},
    {"MissingKeyGoesAfterTheSectionsLastKeyLine",
     "[S]\r\na=1\r\n\r\n;end of S\r\n[T]\r\nb=2\r\n", {{"S", "c", "3"}},
     "[S]\r\na=1\r\nc=3\r\n\r\n;end of S\r\n[T]\r\nb=2\r\n"},
    {"MissingKeyGoesRightAfterAHeaderWithoutKeys",
     "[S]\r\n;only a comment\r\n\r\n[T]\r\n",         {{"S", "c", "3"}},
     "[S]\r\nc=3\r\n;only a comment\r\n\r\n[T]\r\n"},
    {"MissingSectionGoesAtTheEndWithoutABlankLine",
     "[T]\r\nb=2\r\n\r\n",                            {{"S", "c", "3"}},
     "[T]\r\nb=2\r\n\r\n[S]\r\nc=3\r\n"},
    {"MissingFileOrEmptyFile",
     "",                                              {{"S", "k", "v"}},
     "[S]\r\nk=v\r\n"},
    {"LastLineWithoutBreakReplaced",
     "[S]\r\nk=1",                                    {{"S", "k", "2"}},
     "[S]\r\nk=2\r\n"},
    {"LastLineWithoutBreakGetsCrLfBeforeANewKey",
     "[S]\r\na=1",                                    {{"S", "b", "2"}},
     "[S]\r\na=1\r\nb=2\r\n"},
    {"LastLineWithoutBreakGetsCrLfBeforeANewSection",
     "[T]\r\n; end",                                  {{"S", "b", "2"}},
     "[T]\r\n; end\r\n[S]\r\nb=2\r\n"},
    {"HeaderWithoutBreak",
     "[S]",                                           {{"S", "k", "v"}},
     "[S]\r\nk=v\r\n"},
    {"LastLineWithoutBreakAfterTheInsertionPointStaysSo",
     "[S]\na=1\n;c",                                  {{"S", "b", "2"}},
     "[S]\na=1\nb=2\r\n;c"},
    {"ALoneCrAtTheEndIsNoLineBreak",
     "[S]\r\na=1\r",                                  {{"S", "b", "2"}},
     "[S]\r\na=1\r\r\nb=2\r\n"},
    {"CrOnlyLinesAreOneLine",
     "[T]\r\n[S]\ra=1\r",                            {{"T", "a", "2"}},
     "[T]\r\na=2\r\n[S]\ra=1\r"},
    {"FirstSectionCountsForWriting",
     "[S]\r\na=1\r\n[s]\r\na=2\r\n",                  {{"S", "a", "3"}, {"S", "b", "4"}},
     "[S]\r\na=3\r\nb=4\r\n[s]\r\na=2\r\n"},
    {"FirstKeyCountsForWriting",
     "[S]\r\na=1\r\nA=2\r\n",                         {{"S", "a", "3"}},
     "[S]\r\na=3\r\nA=2\r\n"},
    {"CommentHoldingEqualsIsNoKey",
     "[S]\r\n ;a=1\r\n",                              {{"S", "a", "2"}},
     "[S]\r\na=2\r\n ;a=1\r\n"},
    {"KeyBeforeTheFirstHeaderBelongsToNoSection",
     "a=1\r\n[S]\r\n",                                {{"S", "a", "2"}},
     "a=1\r\n[S]\r\na=2\r\n"},
    {"EightBitBytesStayAsTheyAre",
     "; \xcf\xf0\xe8\xec\xe5\xf0\r\n[S]\r\nk=1\t\t;\xea\xee\xec\r\n\x01\x7f\x80\xff binary\r\n"s,
     {{"S", "k", "2\t\t;\xea\xee\xec"}},
     "; \xcf\xf0\xe8\xec\xe5\xf0\r\n[S]\r\nk=2\t\t;\xea\xee\xec\r\n\x01\x7f\x80\xff binary\r\n"s},
    {"NulBytesStayAsTheyAre",
     "[S]\r\n;a\0b\r\nk=1\r\n"s,                      {{"S", "k", "2"}},
     "[S]\r\n;a\0b\r\nk=2\r\n"s},
    {"ByteOrderMarkIsKeptAndTheHeaderFound",
     "\xEF\xBB\xBF[Option]\r\nk=1\r\n",               {{"Option", "k", "2"}},
     "\xEF\xBB\xBF[Option]\r\nk=2\r\n"},
    {"ByteOrderMarkBeforeAHeaderWithoutBreak",
     "\xEF\xBB\xBF[S]",                               {{"S", "k", "v"}},
     "\xEF\xBB\xBF[S]\r\nk=v\r\n"},
    {"ByteOrderMarkAlone",
     "\xEF\xBB\xBF",                                  {{"S", "k", "v"}},
     "\xEF\xBB\xBF[S]\r\nk=v\r\n"},
    {"HeaderWithBlanksAround",
     "  [S]\t\r\nk=1\r\n",                            {{"S", "k", "2"}},
     "  [S]\t\r\nk=2\r\n"},
    // A header runs to the first "]"; what follows stays as it is. A name is not trimmed.
    {"TextAfterTheBracketIsKept",
     "[S]   ; main options\r\nk=1\r\n",              {{"S", "k", "2"}, {"S", "n", "3"}},
     "[S]   ; main options\r\nk=2\r\nn=3\r\n"},
    {"TextAfterTheBracketOfAKeylessHeader",
     " [S]x]=y\t\r\n;c\r\n",                         {{"S", "k", "1"}},
     " [S]x]=y\t\r\nk=1\r\n;c\r\n"},
    {"AHeaderWithoutBracketNamesTheRestOfItsLine",
     "[S\r\nk=1\r\n[T\r\n",                          {{"s", "k", "2"}},
     "[S\r\nk=2\r\n[T\r\n"},
    {"AHeaderWithoutBracketAndBreakAtTheEnd",
     "[S",                                            {{"S", "k", "v"}},
     "[S\r\nk=v\r\n"},
    {"BlanksInsideTheBracketsArePartOfTheName",
     "[ S ]\r\nk=1\r\n",                              {{"S", "k", "2"}},
     "[ S ]\r\nk=1\r\n[S]\r\nk=2\r\n"},
    {"ValueIsCutAtALineBreak",
     "",                                              {{"S", "k", "a\r\nb=c"}},
     "[S]\r\nk=a\r\r\n"},
    {"KeysAndSectionsInWriteOrder",
     "",                                  {{"S", "a", "1"}, {"S", "b", "2"}, {"T", "c", "3"}, {"S", "d", "4"}},
     "[S]\r\na=1\r\nb=2\r\nd=4\r\n[T]\r\nc=3\r\n"},
    {"AKeyWrittenTwiceKeepsItsPlace",
     "[S]\r\na=1\r\n;c\r\n",                          {{"S", "b", "2"}, {"S", "a", "3"}, {"S", "b", "4"}},
     "[S]\r\na=3\r\nb=4\r\n;c\r\n"},
    {"QuotesAreNotSpecial",
     "[S]\r\nk=\"a b\"\r\n",                          {{"S", "k", "\"c\""}},
     "[S]\r\nk=\"c\"\r\n"},
};
// clang-format on

// Test names say enough; the case's bytes would only clutter the listing.
void PrintTo(const WriteCase& c, std::ostream* out) {
    *out << c.name;
}

class ProfileStoreWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileStoreWrite, GivesTheExpectedBytes) {
    const WriteCase& c = GetParam();
    ProfileStore store(c.input);
    for (const Write& w : c.writes)
        EXPECT_TRUE(store.Write(w.section, w.key, w.value));
    EXPECT_EQ(store.Bytes(), c.expected);
    EXPECT_EQ(store.Changed(), c.input != c.expected);

    // The result reads back as written, and reading it afresh gives the same store.
    ProfileStore reread(store.Bytes());
    EXPECT_EQ(reread.Bytes(), c.expected);
    for (const Write& w : c.writes)
        EXPECT_EQ(reread.Read(w.section, w.key, "missing"),
                  store.Read(w.section, w.key, "missing"));
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileStoreWrite, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ReadCase {
    const char* name;
    std::string input;
    std::string section, key, defaultText;
    std::string expected;
};

// clang-format off
const std::vector<ReadCase> kReadCases = {
    {"BlanksAndTabsAroundTheValueGo",   "[S]\r\nk = \t v  v \t\r\n",   "S", "k", "d", "v  v"},
    {"TextAfterTheFirstEquals",         "[S]\r\nk=a=b\r\n",           "S", "k", "d", "a=b"},
    {"CommentIsPartOfTheValue",         "[S]\r\nk= 1\t\t;c; d\r\n",   "S", "k", "d", "1\t\t;c; d"},
    {"SectionAndKeyIgnoreCase",         "[option]\r\nSAMPLESperCHANNEL=5\r\n",
                                        "Option", "SamplesPerChannel", "d", "5"},
    {"QuotesStay",                      "[S]\r\nk=\"x\"\r\n",         "S", "k", "d", "\"x\""},
    {"EmptyValue",                      "[S]\r\nk=\r\n",              "S", "k", "d", ""},
    {"EmptyKey",                        "[S]\r\n=v\r\n",              "S", "",  "d", "v"},
    {"LfLines",                         "[S]\nk=1\n",                 "S", "k", "d", "1"},
    {"LastLineWithoutBreak",            "[S]\r\nk=1",                 "S", "k", "d", "1"},
    {"CrAtTheEnd",                      "[S]\r\nk=1\r",               "S", "k", "d", "1"},
    {"CrInsideTheLineStays",            "[S]\r\nk=a\rb\r\n",          "S", "k", "d", "a\rb"},
    {"AnyWhiteSpaceAroundGoes",         "[S]\v\r\n\f k\r =\v v\f\r\r\n", "S", "k", "d", "v"},
    {"MissingSection",                  "[T]\r\nk=1\r\n",             "S", "k", "d", "d"},
    {"MissingKey",                      "[S]\r\nj=1\r\n",             "S", "k", "d", "d"},
    {"EmptyFile",                       "",                           "S", "k", "0", "0"},
    {"LineWithoutEqualsIsNoKey",        "[S]\r\nk\r\n",               "S", "k", "d", "d"},
    {"CommentLine",                     "[S]\r\n\t;k=1\r\n",          "S", "k", "d", "d"},
    {"HashIsNoComment",                 "[S]\r\n#k=1\r\n",            "S", "#k", "d", "1"},
    {"KeyOfAnotherSection",             "[S]\r\n[T]\r\nk=1\r\n",      "S", "k", "d", "d"},
    {"FirstOfRepeatedSections",         "[S]\r\n[S]\r\nk=1\r\n",      "S", "k", "d", "d"},
    {"FirstOfRepeatedKeys",             "[S]\r\nk=1\r\nK=2\r\n",      "S", "k", "d", "1"},
    {"KeyBeforeAnyHeader",              "k=1\r\n[S]\r\n",             "S", "k", "d", "d"},
    {"ByteOrderMark",                   "\xEF\xBB\xBF[Option]\r\nk=1\r\n", "Option", "k", "d", "1"},
    {"EmptySectionName",                "[]\r\nk=1\r\n",              "",  "k", "d", "1"},
    {"HeaderWithTrailingText",          "[Option]   ; main options\r\nDirFileBufSize= 8\r\n",
                                        "Option", "DirFileBufSize", "d", "8"},
    {"HeaderEndsAtTheFirstBracket",     "[S]]x\r\nk=1\r\n",            "S", "k", "d", "1"},
    {"BracketLineHoldingEqualsIsAHeader", "[S]\r\n[k]=1\r\n",          "S", "[k]", "d", "d"},
    {"HeaderAfterBlanksWithText",       "\t [S] [T]\r\nk=1\r\n",        "S", "k", "d", "1"},
    {"CaseFoldingIsAsciiOnly",          "[\xc0]\r\nk=1\r\n",          "\xe0", "k", "d", "d"},
    {"ValueCutTo255",                   "[S]\r\nk=" + std::string(300, 'v') + "\r\n",
                                        "S", "k", "d", std::string(255, 'v')},
    {"DefaultCutTo255",                 "",                           "S", "k", std::string(300, 'd'),
                                        std::string(255, 'd')},
};
// clang-format on

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.name;
}

class ProfileStoreRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileStoreRead, GivesTheValueText) {
    const ReadCase& c = GetParam();
    const ProfileStore store(c.input);
    EXPECT_EQ(store.Read(c.section, c.key, c.defaultText), c.expected);
    EXPECT_EQ(store.Bytes(), c.input);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileStoreRead, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileStore, HasSection) {
    ProfileStore store("k=1\r\n; [C]\r\n[Option] ;main\r\n[ D ]\r\n");
    EXPECT_TRUE(store.HasSection("option"));
    EXPECT_TRUE(store.HasSection(" D "));
    for (const char* missing : {"", "C", "D", "k", "Option] ;main"})
        EXPECT_FALSE(store.HasSection(missing)) << missing;
    EXPECT_TRUE(store.Write("New", "k", "v"));
    EXPECT_TRUE(store.HasSection("NEW"));
}

TEST(ProfileStore, ReadWholeIsNotCut) {
    const std::string value(1000, 'v');
    const ProfileStore store("[S]\r\nk= " + value + " \r\n");
    EXPECT_EQ(store.ReadWhole("S", "k", "d"), value);
    EXPECT_EQ(store.Read("S", "k", "d").size(), ProfileStore::kMaxValueLength);
}

TEST(ProfileStore, UnchangedValueChangesNothing) {
    ProfileStore store("[S]\nk=1\r\n");
    EXPECT_TRUE(store.Write("s", "K", "1"));  // same value, other spelling and line ending
    EXPECT_TRUE(store.Changed());
    EXPECT_EQ(store.Bytes(), "[S]\nK=1\r\n");
    ProfileStore same("[S]\nk=1\r\n");
    EXPECT_TRUE(same.Write("S", "k", "1"));
    EXPECT_FALSE(same.Changed());
    EXPECT_EQ(same.Bytes(), "[S]\nk=1\r\n");
}

TEST(ProfileStore, RefusesNamesThatWouldNotReadBack) {
    const std::string input = "[S]\r\nk=1\r\n";
    for (const Write& w : std::vector<Write>{{"S", "a=b", "v"},
                                             {"S", ";k", "v"},
                                             {"S", " \t;k", "v"},
                                             {"S", "[k", "v"},
                                             {"S", "k\n", "v"},
                                             {"S]", "k", "v"},
                                             {"a]b", "k", "v"},
                                             {"S\nT", "k", "v"}}) {
        ProfileStore store(input);
        EXPECT_FALSE(store.Write(w.section, w.key, w.value)) << w.section << "/" << w.key;
        EXPECT_EQ(store.Bytes(), input);
        EXPECT_FALSE(store.Changed());
    }
}

TEST(ProfileStore, KeepsAnyInputWhenNothingIsWritten) {
    std::string everyByte;
    for (int c = 0; c < 256; ++c)
        everyByte += static_cast<char>(c);
    for (const std::string& input :
         {""s, "\n"s, "\r\n\r\n"s, "\r"s, "["s, "]"s, "[]"s, "="s, "\xEF\xBB"s, "\xEF\xBB\xBF"s,
          "\xEF\xBB\xBF\xEF\xBB\xBF[S]\n"s, everyByte, everyByte + everyByte,
          std::string(100000, '=') + "\n[" + std::string(100000, 'x')}) {
        EXPECT_EQ(ProfileStore(input).Bytes(), input);
    }
}

TEST(ProfileStore, ManySectionsAndKeys) {
    std::string input;
    for (int s = 0; s < 300; ++s) {
        input += "[Section" + std::to_string(s) + "]\r\n";
        for (int k = 0; k < 30; ++k)
            input += "Key" + std::to_string(k) + "=" + std::to_string(s * 100 + k) + "\r\n";
    }
    ProfileStore store(input);
    EXPECT_EQ(store.Read("SECTION299", "key29", ""), "29929");
    EXPECT_EQ(store.Read("Section0", "Key0", ""), "0");
    EXPECT_TRUE(store.Write("Section150", "NewKey", "x"));
    EXPECT_TRUE(store.Write("Section150", "Key3", "y"));
    EXPECT_EQ(store.Read("Section150", "newkey", ""), "x");
    EXPECT_EQ(store.Read("Section150", "Key3", ""), "y");
    const std::string expectedTail = "Key29=15029\r\nNewKey=x\r\n[Section151]\r\n";
    EXPECT_NE(store.Bytes().find(expectedTail), std::string::npos);
}

using ProfileStoreFile = FileTest;

TEST_F(ProfileStoreFile, LoadsAndSavesTheFile) {
    WriteBytes("a.ini", "[S]\nk=1\n");
    ProfileStore store;
    ASSERT_EQ(store.Load("a.ini"), files::LoadStatus::Loaded);
    EXPECT_EQ(store.Read("S", "k", ""), "1");
    EXPECT_TRUE(store.Write("S", "k", "2"));
    std::string error;
    ASSERT_TRUE(store.Save("a.ini", &error)) << error;
    EXPECT_EQ(ReadBytes("a.ini"), "[S]\nk=2\r\n");
}

TEST_F(ProfileStoreFile, MissingFileLoadsEmpty) {
    ProfileStore store("[S]\r\nk=1\r\n");
    std::string error;
    EXPECT_EQ(store.Load("missing.ini", &error), files::LoadStatus::Missing);
    EXPECT_EQ(error, "cannot read \"missing.ini\": No such file or directory");
    EXPECT_EQ(store.Bytes(), "");
    EXPECT_EQ(store.Read("S", "k", "d"), "d");
}

TEST_F(ProfileStoreFile, FolderInPlaceOfTheFileFails) {
    std::filesystem::create_directory("a.ini");
    ProfileStore store;
    std::string error;
    EXPECT_EQ(store.Load("a.ini", &error), files::LoadStatus::Failed);
    EXPECT_EQ(error, "cannot read \"a.ini\": Is a directory");
}

}  // namespace
