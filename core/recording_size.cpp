#include "core/recording_size.h"

#include <limits>

// The acquisition program writes whole buffers, so a recording is rounded up to a whole number
// of buffers. The arithmetic runs in 64 bits: 32-bit products wrap for large requests, and a
// wrapped size would be both shown and written to the initialization file.
namespace {

// C and B of the active mode, or why the calculation has no result.
struct ActiveMode {
    RecordingSizeStatus status = RecordingSizeStatus::Ok;
    int64_t channels = 0;
    int32_t bytesPerSample = 0;
};

ActiveMode ActiveModeOf(const TSettings& settings) {
    ActiveMode mode;
    if (settings.EnableDDC == 0) {
        mode.channels = settings.EnabledAdcCount;
        mode.bytesPerSample = settings.AdcBytesPerSample;
    } else if (settings.EnableDDC == 1) {
        mode.channels = settings.EnabledDdcCount;
        mode.bytesPerSample = settings.DataFormat == 0 ? 4 : 8;
    } else {
        mode.status = RecordingSizeStatus::UnknownMode;
        return mode;
    }
    // Without a result the recording is empty: zero buffers, zero size, zero samples, and the
    // window says why. Keeping older figures would show a size that matches nothing.
    if (mode.channels <= 0 || mode.bytesPerSample <= 0) {
        mode.status = RecordingSizeStatus::NoChannels;
    } else if (settings.DirFileBufSize <= 0) {
        mode.status = RecordingSizeStatus::NoBuffer;
    }
    return mode;
}

}  // namespace

RecordingSize ComputeRecordingSize(const TSettings& settings, int32_t requested) {
    RecordingSize result;
    const ActiveMode mode = ActiveModeOf(settings);
    result.bytesPerSample = mode.bytesPerSample;
    if (mode.status != RecordingSizeStatus::Ok) {
        result.status = mode.status;
        return result;
    }
    const int64_t channels = mode.channels;
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

int32_t RecordingSizeCalc(TSettings& settings, int32_t requested) {
    const RecordingSize size = ComputeRecordingSize(settings, requested);
    if (size.status == RecordingSizeStatus::UnknownMode) {
        // Nothing is computed in an unknown mode; the previous figures stay.
        return settings.DirRealSamplesPerChannel;
    }
    if (settings.EnableDDC == 1) {
        settings.DdcBytesPerSample = size.bytesPerSample;
    }
    settings.DirNumBufWrite = size.buffers;
    settings.DirFileSizeKB = size.fileSizeKB;
    return size.realSamples;
}

std::optional<int32_t> SamplesInBuffers(const TSettings& settings, int32_t buffers) {
    const ActiveMode mode = ActiveModeOf(settings);
    if (mode.status != RecordingSizeStatus::Ok || buffers <= 0) {
        return std::nullopt;
    }
    const int64_t kilobytes = int64_t{buffers} * settings.DirFileBufSize;
    if (kilobytes > std::numeric_limits<int64_t>::max() / 1024) {
        return std::nullopt;
    }
    const int64_t samples = kilobytes * 1024 / (mode.channels * mode.bytesPerSample);
    if (samples > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(samples);
}

void CountEnabledChannels(TSettings& settings) {
    settings.EnabledDdcCount = BitCount(settings.DDCChannelMask, kDdcChannels);
    settings.EnabledAdcCount = BitCount(settings.ChannelMask, kAdcs);
}

void RecomputeRecordingSize(TSettings& settings) {
    CountEnabledChannels(settings);
    settings.DirRealSamplesPerChannel = RecordingSizeCalc(settings, settings.DirSamplesPerChannel);
}
