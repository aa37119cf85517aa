#include <gtest/gtest.h>

#include <cstdint>

#include "core/recording_size.h"
#include "core/settings.h"

namespace {

using Status = RecordingSizeStatus;

struct SizeCase {
    const char* name;
    int32_t enableDdc;
    int32_t dataFormat;
    int32_t ddcCount;
    int32_t adcCount;
    int32_t bufKB;
    int32_t requested;
    Status status;
    int32_t buffers;
    int32_t fileSizeKB;
    int32_t realSamples;
};

// The counts are set without touching the masks (defaults 0xFFFF and 0x1): the calculation must
// use the counts of the last refresh, not recount the masks.
// clang-format off
const SizeCase kSizeCases[] = {
    // name                 DDC fmt ddc adc   bufKB    requested     status       N      KB         real
    {"DefaultsDdc",          1,  1, 16, 0,    4096,       65536, Status::Ok,     2,    8192,      65536},
    {"AdcOneChannel",        0,  1,  0, 1,    4096,       65536, Status::Ok,     1,    4096,    2097152},
    {"Ddc16BitFourChannels", 1,  0,  4, 0,    4096,        1000, Status::Ok,     1,    4096,     262144},
    {"RequestedZero",        1,  1, 16, 0,    4096,           0, Status::Ok,     0,       0,          0},
    {"ExactMultiple",        1,  1, 16, 0,    4096,       32768, Status::Ok,     1,    4096,      32768},
    {"OneSampleMore",        1,  1, 16, 0,    4096,       32769, Status::Ok,     2,    8192,      65536},
    {"Format24Counts8",      1,  4,  1, 0,       1,         128, Status::Ok,     1,       1,        128},
    {"OtherFormatCounts8",   1,  7,  1, 0,       1,         129, Status::Ok,     2,       2,        256},
    {"AdcIgnoresFormat",     0,  0,  0, 4,       1,         128, Status::Ok,     1,       1,        128},
    {"TotalOf2GB",           1,  1, 16, 0,    4096,    16777216, Status::Ok,   512, 2097152,   16777216},
    {"AdcRealOf2Pow30",      0,  1,  0, 1,    4096,  1073741824, Status::Ok,   512, 2097152, 1073741824},
    {"BufferOf4GBNoWrap",    1,  1, 16, 0, 4194304,       65536, Status::Ok,     1, 4194304,   33554432},
    {"RemainderAbove2GB",    1,  1, 16, 0, 3145728,    20000000, Status::Ok,     1, 3145728,   25165824},
    {"LargestRealThatFits",  1,  1, 16, 0,       1,  2147483640, Status::Ok, 268435455, 268435455, 2147483640},
    {"OneMoreNoLongerFits",  1,  1, 16, 0,       1,  2147483641, Status::TooLarge, 0, 0,           0},
    {"RealBeyondInt32",      0,  1,  0, 1,    4096,  2147483647, Status::TooLarge, 0, 0,           0},
    {"NoDdcChannel",         1,  1,  0, 4,    4096,       65536, Status::NoChannels, 0, 0,         0},
    {"NoAdcChannel",         0,  1, 16, 0,    4096,       65536, Status::NoChannels, 0, 0,         0},
    {"BufferZero",           1,  1, 16, 0,       0,       65536, Status::NoBuffer,   0, 0,         0},
    {"BufferNegative",       1,  1, 16, 0,      -1,       65536, Status::NoBuffer,   0, 0,         0},
    {"RequestNegative",      1,  1, 16, 0,    4096,          -1, Status::NegativeRequest, 0, 0,    0},
    {"RequestInt32Min",      0,  1,  0, 1,    4096, INT32_MIN,   Status::NegativeRequest, 0, 0,    0},
};
// clang-format on

class RecordingSizeTest : public ::testing::TestWithParam<SizeCase> {
  protected:
    void SetUp() override {
        Settings = TSettings{};
        const SizeCase& c = GetParam();
        Settings.EnableDDC = c.enableDdc;
        Settings.DataFormat = c.dataFormat;
        Settings.EnabledDdcCount = c.ddcCount;
        Settings.EnabledAdcCount = c.adcCount;
        Settings.DirFileBufSize = c.bufKB;
    }
};

TEST_P(RecordingSizeTest, PureCalculation) {
    const SizeCase& c = GetParam();
    const RecordingSize r = ComputeRecordingSize(Settings, c.requested);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.buffers, c.buffers);
    EXPECT_EQ(r.fileSizeKB, c.fileSizeKB);
    EXPECT_EQ(r.realSamples, c.realSamples);
}

TEST_P(RecordingSizeTest, AppliedToSettings) {
    const SizeCase& c = GetParam();
    EXPECT_EQ(RecordingSizeCalc(c.requested), c.realSamples);
    EXPECT_EQ(Settings.DirNumBufWrite, c.buffers);
    EXPECT_EQ(Settings.DirFileSizeKB, c.fileSizeKB);
    if (c.status == Status::Ok) {
        // B is written in DDC mode only: 4 for 16-bit data, 8 for anything else.
        EXPECT_EQ(Settings.DdcBytesPerSample, c.enableDdc == 0 ? 0 : (c.dataFormat == 0 ? 4 : 8));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RecordingSizeTest, ::testing::ValuesIn(kSizeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RecordingSizeUnknownMode, ChangesNothingAndKeepsTheShownValue) {
    for (int32_t mode : {2, -1}) {
        SCOPED_TRACE(mode);
        Settings = TSettings{};
        Settings.EnableDDC = mode;
        Settings.EnabledDdcCount = 16;
        Settings.EnabledAdcCount = 1;
        Settings.DdcBytesPerSample = 5;
        Settings.DirNumBufWrite = 7;
        Settings.DirFileSizeKB = 9;
        Settings.DirRealSamplesPerChannel = 1234;
        EXPECT_EQ(ComputeRecordingSize(Settings, 65536).status, Status::UnknownMode);
        EXPECT_EQ(RecordingSizeCalc(65536), 1234);
        EXPECT_EQ(Settings.DdcBytesPerSample, 5);
        EXPECT_EQ(Settings.DirNumBufWrite, 7);
        EXPECT_EQ(Settings.DirFileSizeKB, 9);
        EXPECT_EQ(Settings.DirRealSamplesPerChannel, 1234);
    }
}

}  // namespace
