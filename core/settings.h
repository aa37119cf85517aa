// The editor's settings record and the bit helpers used on its masks. Each program owns its
// records and passes them by reference; there is no record at namespace scope.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int kDdcChannels = 16;
inline constexpr int kAdcs = 4;
// String settings live in 256-byte buffers in the files' world: 255 characters and a terminator.
inline constexpr std::size_t kMaxStringLength = 255;

struct TSettings {
    // [Option]
    int32_t SamplesPerChannel = 1024;
    int32_t EnableDDC = 1;
    int32_t WorkMode = 1;
    std::string DirFileName = "exam.bin";
    int32_t DirFileBufSize = 4096;
    int32_t DirNumBufWrite = 10;

    // [device0_tessaro0]
    int32_t ClockSource = 0;
    double InternalClockValue = 100000000.0;
    double ExternalClockValue = 110000000.0;
    int32_t DDCChannelMask = 0xFFFF;
    int32_t ChannelMask = 0x1;
    int32_t DataFormat = 1;
    float FrequencyNCO[kDdcChannels] = {10700000, 10700001, 10700002, 10700003, 10700004, 10700005,
                                        10700006, 10700007, 10700008, 10700009, 10700010, 10700011,
                                        10700012, 10700013, 10700014, 10700015};
    int32_t InputSource[kDdcChannels] = {0, 1, 2, 3, 1, 2, 3, 0, 2, 3, 0, 1, 3, 0, 1, 2};
    int32_t AdcGainMask = 0x5;
    int32_t Dither = 1;
    int32_t StartSource = 0;
    float ComparatorThresholdSDX = 1.0f;
    int32_t MasterMode = 0;
    int32_t DDCSyncMode = 1;
    std::string DDCProgramFile = "IsGsm.prg";
    float FreqNC0 = 10700000.0f;
    int32_t MaskSelFreqNCO = 0xFF;

    // Working values: no key of their own in any file.
    int32_t DirSamplesPerChannel = 65536;
    int32_t DirRealSamplesPerChannel = 1024;
    int32_t DirFileSizeKB = 4096;
    int32_t AdcBytesPerSample = 2;
    int32_t DdcBytesPerSample = 0;
    int32_t EnabledDdcCount = 0;
    int32_t EnabledAdcCount = 0;
    int32_t AdcDataFormat = 0;

    // File names.
    static constexpr const char* StartupConfigName = "std.cfg";
    static constexpr const char* IniFileName = "exam_ddc.ini";
    std::string CurrentConfigName = "std.cfg";

    // Field by field, the working values included (the window's undo compares records).
    bool operator==(const TSettings&) const = default;
};

// Bit i of a mask stands for channel i.
constexpr bool BitTest(int32_t mask, int bit) {
    return ((static_cast<uint32_t>(mask) >> bit) & 1u) != 0;
}
constexpr void BitSet(int32_t& mask, int bit) {
    mask = static_cast<int32_t>(static_cast<uint32_t>(mask) | (1u << bit));
}
constexpr void BitClear(int32_t& mask, int bit) {
    mask = static_cast<int32_t>(static_cast<uint32_t>(mask) & ~(1u << bit));
}
// Number of set bits among the lowest `bits` bits of the mask.
int BitCount(int32_t mask, int bits);
