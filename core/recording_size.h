// Size of a direct recording: whole buffers of DirFileBufSize KB.
#pragma once

#include <cstdint>
#include <optional>

#include "core/settings.h"

enum class RecordingSizeStatus {
    Ok,
    NoChannels,       // no enabled channel in the active mode
    NoBuffer,         // DirFileBufSize is 0 or negative
    NegativeRequest,  // fewer than 0 samples asked for
    TooLarge,         // the real samples per channel would not fit a 32-bit integer
    UnknownMode,      // EnableDDC is neither 0 nor 1: nothing is computed
};

struct RecordingSize {
    RecordingSizeStatus status = RecordingSizeStatus::Ok;
    int32_t bytesPerSample = 0;  // B of the active mode
    int32_t buffers = 0;         // DirNumBufWrite
    int32_t fileSizeKB = 0;      // DirFileSizeKB
    int32_t realSamples = 0;     // samples per channel actually recorded
};

// Pure calculation from the given settings (the counts must be up to date).
RecordingSize ComputeRecordingSize(const TSettings& settings, int32_t requested);

// Applies the calculation to the record: writes DdcBytesPerSample (DDC mode), DirNumBufWrite and
// DirFileSizeKB, and returns the real samples per channel for DirRealSamplesPerChannel.
int32_t RecordingSizeCalc(TSettings& settings, int32_t requested);

// The requested samples per channel that fill exactly `buffers` whole buffers with the given
// settings (the counts must be up to date): the real samples per channel those buffers hold.
// None when the calculation has no result for these settings or `buffers` is not above 0.
std::optional<int32_t> SamplesInBuffers(const TSettings& settings, int32_t buffers);

// EnabledDdcCount and EnabledAdcCount from the masks, as the refresh counts them.
void CountEnabledChannels(TSettings& settings);

// What every refresh of the window does to the recording figures: CountEnabledChannels, then runs
// RecordingSizeCalc(DirSamplesPerChannel) and stores DirRealSamplesPerChannel.
void RecomputeRecordingSize(TSettings& settings);
