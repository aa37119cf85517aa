#include "core/recording_size.h"

#include <limits>

// The acquisition program writes whole buffers, so a recording is rounded up to a whole number
// of buffers. The arithmetic runs in 64 bits: 32-bit products wrap for large requests, and a
// wrapped size would be both shown and written to the initialization file.
RecordingSize ComputeRecordingSize(const TSettings& settings, int32_t requested) {
    RecordingSize result;
    int64_t channels = 0;
    if (settings.EnableDDC == 0) {
        channels = settings.EnabledAdcCount;
        result.bytesPerSample = settings.AdcBytesPerSample;
    } else if (settings.EnableDDC == 1) {
        channels = settings.EnabledDdcCount;
        result.bytesPerSample = settings.DataFormat == 0 ? 4 : 8;
    } else {
        result.status = RecordingSizeStatus::UnknownMode;
        return result;
    }

    // Without a result the recording is empty: zero buffers, zero size, zero samples, and the
    // window says why. Keeping older figures would show a size that matches nothing.
    if (channels <= 0 || result.bytesPerSample <= 0) {
        result.status = RecordingSizeStatus::NoChannels;
        return result;
    }
    if (settings.DirFileBufSize <= 0) {
        result.status = RecordingSizeStatus::NoBuffer;
        return result;
    }
    if (requested < 0) {
        result.status = RecordingSizeStatus::NegativeRequest;
        return result;
    }

    const int64_t bytesPerRow = channels * result.bytesPerSample;
    const int64_t total = bytesPerRow * requested;
    const int64_t bufferBytes = int64_t{settings.DirFileBufSize} * 1024;
    int64_t buffers = total / bufferBytes;
    if (total % bufferBytes > 0) {
        ++buffers;
    }
    const int64_t rounded = buffers * bufferBytes;
    const int64_t fileSizeKB = rounded / 1024;
    const int64_t realSamples = rounded / bytesPerRow;

    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    if (buffers > kMax || fileSizeKB > kMax || realSamples > kMax) {
        result.status = RecordingSizeStatus::TooLarge;
        return result;
    }
    result.buffers = static_cast<int32_t>(buffers);
    result.fileSizeKB = static_cast<int32_t>(fileSizeKB);
    result.realSamples = static_cast<int32_t>(realSamples);
    return result;
}

int32_t RecordingSizeCalc(int32_t requested) {
    const RecordingSize size = ComputeRecordingSize(Settings, requested);
    if (size.status == RecordingSizeStatus::UnknownMode) {
        // Nothing is computed in an unknown mode; the previous figures stay.
        return Settings.DirRealSamplesPerChannel;
    }
    if (Settings.EnableDDC == 1) {
        Settings.DdcBytesPerSample = size.bytesPerSample;
    }
    Settings.DirNumBufWrite = size.buffers;
    Settings.DirFileSizeKB = size.fileSizeKB;
    return size.realSamples;
}
