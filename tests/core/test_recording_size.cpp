#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "core/recording_size.h"
#include "core/settings.h"

namespace {

using Status = RecordingSizeStatus;
using enum RecordingSizeStatus;

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

// Keeps the CTest names readable: the case name instead of a byte dump.
void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.name;
}

// The counts are set without touching the masks (defaults 0xFFFF and 0x1): the calculation must
// use the counts of the last refresh, not recount the masks.
// clang-format off
const SizeCase kSizeCases[] = {
    // name, EnableDDC, DataFormat, EnabledDdcCount, EnabledAdcCount, DirFileBufSize, requested;
    // status, DirNumBufWrite, DirFileSizeKB, real samples per channel
    {"Defaults",   1, 1, 16, 0,    4096,      65536, Ok,                    2,    8192,      65536},
    {"AdcOneCh",   0, 1,  0, 1,    4096,      65536, Ok,                    1,    4096,    2097152},
    {"Ddc16Bit4",  1, 0,  4, 0,    4096,       1000, Ok,                    1,    4096,     262144},
    {"ZeroReq",    1, 1, 16, 0,    4096,          0, Ok,                    0,       0,          0},
    {"ExactFill",  1, 1, 16, 0,    4096,      32768, Ok,                    1,    4096,      32768},
    {"OneMore",    1, 1, 16, 0,    4096,      32769, Ok,                    2,    8192,      65536},
    {"Format24",   1, 4,  1, 0,       1,        128, Ok,                    1,       1,        128},
    {"FormatOdd",  1, 7,  1, 0,       1,        129, Ok,                    2,       2,        256},
    {"AdcFormat",  0, 0,  0, 4,       1,        128, Ok,                    1,       1,        128},
    {"Total2GB",   1, 1, 16, 0,    4096,   16777216, Ok,                  512, 2097152,   16777216},
    {"AdcRealBig", 0, 1,  0, 1,    4096, 1073741824, Ok,                  512, 2097152, 1073741824},
    {"Buffer4GB",  1, 1, 16, 0, 4194304,      65536, Ok,                    1, 4194304,   33554432},
    {"BufHuge",    1, 1, 16, 0, 8388608,          1, Ok,                    1, 8388608,   67108864},
    {"RemOver2GB", 1, 1, 16, 0, 3145728,   20000000, Ok,                    1, 3145728,   25165824},
    {"LargestFit", 0, 1,  0, 1,       1, 2147483136, Ok,              4194303, 4194303, 2147483136},
    {"OneTooMany", 0, 1,  0, 1,       1, 2147483137, TooLarge,              0,       0,          0},
    {"AdcTooBig",  0, 1,  0, 1,    4096, 2147483647, TooLarge,              0,       0,          0},
    {"NoDdcCh",    1, 1,  0, 4,    4096,      65536, NoChannels,            0,       0,          0},
    {"NoAdcCh",    0, 1, 16, 0,    4096,      65536, NoChannels,            0,       0,          0},
    {"BufZero",    1, 1, 16, 0,       0,      65536, NoBuffer,              0,       0,          0},
    {"BufNeg",     1, 1, 16, 0,      -1,      65536, NoBuffer,              0,       0,          0},
    {"ReqNeg",     1, 1, 16, 0,    4096,         -1, NegativeRequest,       0,       0,          0},
    {"ReqMin",     0, 1,  0, 1,    4096,  INT32_MIN, NegativeRequest,       0,       0,          0},
};
// clang-format on

class RecordingSizeTest : public ::testing::TestWithParam<SizeCase> {
  protected:
    TSettings Settings;

    void SetUp() override {
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
    EXPECT_EQ(RecordingSizeCalc(Settings, c.requested), c.realSamples);
    EXPECT_EQ(Settings.DirNumBufWrite, c.buffers);
    EXPECT_EQ(Settings.DirFileSizeKB, c.fileSizeKB);
    if (c.status == Status::Ok) {
        // B is written in DDC mode only: 4 for 16-bit data, 8 for anything else.
        EXPECT_EQ(Settings.DdcBytesPerSample, c.enableDdc == 0 ? 0 : (c.dataFormat == 0 ? 4 : 8));
    }
}

// The request taken back from a number of buffers (at start, from exam_ddc.ini) records into
// exactly that number of buffers again.
TEST_P(RecordingSizeTest, BuffersGiveBackARequestOfAsManyBuffers) {
    const SizeCase& c = GetParam();
    const auto samples = SamplesInBuffers(Settings, c.buffers > 0 ? c.buffers : 1);
    if (c.status == Status::NoChannels || c.status == Status::NoBuffer) {
        EXPECT_FALSE(samples);
        return;
    }
    ASSERT_TRUE(samples);
    if (c.status == Status::Ok && c.buffers > 0) {
        EXPECT_EQ(*samples, c.realSamples);
        EXPECT_EQ(ComputeRecordingSize(Settings, *samples).buffers, c.buffers);
    }
    if (c.status == Status::Ok && c.realSamples > INT32_MAX / 2) {
        // Twice the buffers of a count past 2^30 hold more samples than 32 bits count.
        EXPECT_FALSE(SamplesInBuffers(Settings, 2 * c.buffers));
    }
    EXPECT_FALSE(SamplesInBuffers(Settings, 0));
    EXPECT_FALSE(SamplesInBuffers(Settings, INT32_MAX));
}

INSTANTIATE_TEST_SUITE_P(Cases, RecordingSizeTest, ::testing::ValuesIn(kSizeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RecordingSizeUnknownMode, ChangesNothingAndKeepsTheShownValue) {
    for (int32_t mode : {2, -1}) {
        SCOPED_TRACE(mode);
        TSettings Settings;
        Settings.EnableDDC = mode;
        Settings.EnabledDdcCount = 16;
        Settings.EnabledAdcCount = 1;
        Settings.DdcBytesPerSample = 5;
        Settings.DirNumBufWrite = 7;
        Settings.DirFileSizeKB = 9;
        Settings.DirRealSamplesPerChannel = 1234;
        EXPECT_EQ(ComputeRecordingSize(Settings, 65536).status, Status::UnknownMode);
        EXPECT_EQ(RecordingSizeCalc(Settings, 65536), 1234);
        EXPECT_EQ(Settings.DdcBytesPerSample, 5);
        EXPECT_EQ(Settings.DirNumBufWrite, 7);
        EXPECT_EQ(Settings.DirFileSizeKB, 9);
        EXPECT_EQ(Settings.DirRealSamplesPerChannel, 1234);
    }
}

}  // namespace
