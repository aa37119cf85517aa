#include <gtest/gtest.h>

#include <string>

#include "core/errors.h"
#include "core/number_text.h"
#include "core/settings.h"

TEST(SettingsDefaults, FreshRecordHoldsTheDefaults) {
    const TSettings s;
    EXPECT_EQ(s.SamplesPerChannel, 1024);
    EXPECT_EQ(s.EnableDDC, 1);
    EXPECT_EQ(s.WorkMode, 1);
    EXPECT_EQ(s.DirFileName, "exam.bin");
    EXPECT_EQ(s.DirFileBufSize, 4096);
    EXPECT_EQ(s.DirNumBufWrite, 10);
    EXPECT_EQ(s.ClockSource, 0);
    EXPECT_EQ(s.InternalClockValue, 100000000.0);
    EXPECT_EQ(s.ExternalClockValue, 110000000.0);
    EXPECT_EQ(s.DDCChannelMask, 0xFFFF);
    EXPECT_EQ(s.ChannelMask, 0x1);
    EXPECT_EQ(s.DataFormat, 1);  // neither 16-bit (0) nor 24-bit (4)
    EXPECT_EQ(s.AdcGainMask, 0x5);
    EXPECT_EQ(s.Dither, 1);
    EXPECT_EQ(s.StartSource, 0);
    EXPECT_EQ(s.ComparatorThresholdSDX, 1.0f);
    EXPECT_EQ(s.MasterMode, 0);
    EXPECT_EQ(s.DDCSyncMode, 1);
    EXPECT_EQ(s.DDCProgramFile, "IsGsm.prg");
    EXPECT_EQ(s.FreqNC0, 10700000.0f);
    EXPECT_EQ(s.MaskSelFreqNCO, 0xFF);
    EXPECT_EQ(s.DirSamplesPerChannel, 65536);
    EXPECT_EQ(s.DirRealSamplesPerChannel, 1024);
    EXPECT_EQ(s.DirFileSizeKB, 4096);
    EXPECT_EQ(s.AdcBytesPerSample, 2);
    EXPECT_EQ(s.DdcBytesPerSample, 0);
    EXPECT_EQ(s.EnabledDdcCount, 0);
    EXPECT_EQ(s.EnabledAdcCount, 0);
    EXPECT_EQ(s.AdcDataFormat, 0);
    EXPECT_EQ(std::string(TSettings::StartupConfigName), "std.cfg");
    EXPECT_EQ(std::string(TSettings::IniFileName), "exam_ddc.ini");
    EXPECT_EQ(s.CurrentConfigName, "std.cfg");

    const int inputSource[kDdcChannels] = {0, 1, 2, 3, 1, 2, 3, 0, 2, 3, 0, 1, 3, 0, 1, 2};
    for (int i = 0; i < kDdcChannels; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(s.InputSource[i], inputSource[i]);
        EXPECT_EQ(s.FrequencyNCO[i], static_cast<float>(10700000 + i));
    }
}

TEST(SettingsBits, TestSetClearAcrossTheWholeWord) {
    int32_t mask = 0x7FFF;
    BitSet(mask, 31);
    EXPECT_EQ(mask, static_cast<int32_t>(0x80007FFF));
    EXPECT_TRUE(BitTest(mask, 31));
    EXPECT_FALSE(BitTest(mask, 15));
    BitClear(mask, 0);
    BitClear(mask, 31);
    EXPECT_EQ(mask, 0x7FFE);
}

TEST(SettingsBits, CountLooksOnlyAtTheLowestBits) {
    struct Case {
        int32_t mask;
        int bits;
        int count;
    };
    // clang-format off
    const Case cases[] = {
        {0xFFFF,   16, 16}, {0x1FFFF, 16, 16}, {0x5,  4, 2}, {-1, 4, 4},
        {0xF0,      4,  0}, {0,       16,  0}, {-1,  32, 32}, {0x8000, 16, 1},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        EXPECT_EQ(BitCount(c.mask, c.bits), c.count);
    }
}

TEST(SettingsStrings, At255CharactersAStringFitsAndNotAt256) {
    EXPECT_NO_THROW(CheckStringLength(std::string(kMaxStringLength, 'a'), "DirFileName"));
    EXPECT_NO_THROW(CheckStringLength("", "DirFileName"));
    EXPECT_THROW(CheckStringLength(std::string(kMaxStringLength + 1, 'a'), "DirFileName"),
                 SettingsError);
}
