#include "core/editing_rules.h"

#include "core/errors.h"
#include "core/number_text.h"
#include "core/settings.h"

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Index of the last "\" or "/", or npos. Both separate, as the editor runs on both platforms.
std::size_t LastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsSeparator(path[i - 1]))
            return i - 1;
    }
    return std::string_view::npos;
}

void CheckChannel(int channel) {
    if (channel < 0 || channel >= kDdcChannels) {
        throw SettingsError("DDC channel " + std::to_string(channel) + " does not exist");
    }
}

void CheckAdc(int adc) {
    if (adc < 0 || adc >= kAdcs) {
        throw SettingsError("ADC " + std::to_string(adc) + " does not exist");
    }
}

// A drive such as "D:" names no directory.
bool IsDriveName(std::string_view name) {
    return name.size() == 2 && name[1] == ':';
}

}  // namespace

std::string FileNameOfPath(std::string_view path) {
    const std::size_t sep = LastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

void SetChannelAdcs(int channel, uint32_t adcsTicked) {
    CheckChannel(channel);
    int ticked[kAdcs];
    int count = 0;
    for (int j = 0; j < kAdcs; ++j) {
        if ((adcsTicked >> j) & 1u)
            ticked[count++] = j;
    }
    if (count == 0) {
        BitClear(Settings.DDCChannelMask, channel);
    } else if (count == 1) {
        BitSet(Settings.DDCChannelMask, channel);
        Settings.InputSource[channel] = ticked[0];
    } else {
        for (int k = 0; k < count; ++k) {
            if (ticked[k] != Settings.InputSource[channel]) {
                Settings.InputSource[channel] = ticked[k];
                break;
            }
        }
    }
    if (Settings.DDCChannelMask == 0) {
        EnableOnlyChannel0();
    }
}

void EnableAllChannels() {
    Settings.DDCChannelMask = 0xFFFF;
}

void EnableOnlyChannel0() {
    Settings.DDCChannelMask = 1;
    Settings.InputSource[0] = 0;
}

void AllChannelsToAdc(int adc) {
    CheckAdc(adc);
    for (int32_t& source : Settings.InputSource)
        source = adc;
}

void SetChannelFrequency(int channel, std::string_view text, char decimalSeparator) {
    CheckChannel(channel);
    Settings.FrequencyNCO[channel] = ParseSingle(text, decimalSeparator);
}

void ApplyFrequencyToAll(std::string_view text, char decimalSeparator) {
    ApplyFrequencyToAll(ParseSingle(text, decimalSeparator));
}

void ApplyFrequencyToAll(float frequency) {
    for (float& f : Settings.FrequencyNCO)
        f = frequency;
}

void ApplyFrequencyToSelected(std::string_view text, char decimalSeparator,
                              uint32_t channelsTicked) {
    ApplyFrequencyToSelected(ParseSingle(text, decimalSeparator), channelsTicked);
}

void ApplyFrequencyToSelected(float frequency, uint32_t channelsTicked) {
    for (int i = 0; i < kDdcChannels; ++i) {
        if ((channelsTicked >> i) & 1u)
            Settings.FrequencyNCO[i] = frequency;
    }
}

void SetClockSource(int item) {
    Settings.ClockSource = item;
}

void SetClockValue(std::string_view text, char decimalSeparator) {
    const double value = ParseReal(text, decimalSeparator);
    (Settings.ClockSource != 0 ? Settings.ExternalClockValue : Settings.InternalClockValue) = value;
}

void SetDataFormat16() {
    Settings.DataFormat = 0;
}
void SetDataFormat24() {
    Settings.DataFormat = 4;
}

void SetDirSamplesPerChannel(std::string_view text) {
    Settings.DirSamplesPerChannel = ParseInteger(text);
}

void SetDirFileName(std::string_view text) {
    CheckStringLength(text, "The file name for direct recording");
    Settings.DirFileName = std::string(text);
}

void SetDdcProgramFile(std::string_view text) {
    CheckStringLength(text, "The DDC program file name");
    Settings.DDCProgramFile = std::string(text);
}

// The program file is stored relative to the parent of its folder ("PRGFILES\IsGsm.prg"), with a
// backslash whatever the platform, as the acquisition program expects. A file with no folder
// around it (a bare name, or one lying in a root such as "D:\" or "/") is stored by its bare
// name, which the acquisition program looks up in the working directory.
void SetDdcProgramFromPath(std::string_view path) {
    const std::size_t sep = LastSeparator(path);
    const std::string_view file = sep == std::string_view::npos ? path : path.substr(sep + 1);
    if (file.empty()) {
        throw SettingsError("'" + std::string(path) + "' names no file");
    }
    std::string stored(file);
    if (sep != std::string_view::npos) {
        const std::string_view folderPath = path.substr(0, sep);
        const std::size_t folderSep = LastSeparator(folderPath);
        const std::string_view folder =
            folderSep == std::string_view::npos ? folderPath : folderPath.substr(folderSep + 1);
        if (!folder.empty() && !IsDriveName(folder)) {
            stored = std::string(folder) + '\\' + stored;
        }
    }
    CheckStringLength(stored, "The DDC program file name");
    Settings.DDCProgramFile = std::move(stored);
}

void ConfigNameFromPath(std::string_view path) {
    std::string name = FileNameOfPath(path);
    if (name.empty()) {
        throw SettingsError("'" + std::string(path) + "' names no file");
    }
    CheckStringLength(name, "The configuration file name");
    Settings.CurrentConfigName = std::move(name);
}
