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

void SetChannelAdcs(TSettings& s, int channel, uint32_t adcsTicked) {
    CheckChannel(channel);
    int ticked[kAdcs];
    int count = 0;
    for (int j = 0; j < kAdcs; ++j) {
        if ((adcsTicked >> j) & 1u)
            ticked[count++] = j;
    }
    if (count == 0) {
        BitClear(s.DDCChannelMask, channel);
    } else if (count == 1) {
        BitSet(s.DDCChannelMask, channel);
        s.InputSource[channel] = ticked[0];
    } else {
        for (int k = 0; k < count; ++k) {
            if (ticked[k] != s.InputSource[channel]) {
                s.InputSource[channel] = ticked[k];
                break;
            }
        }
    }
    if (s.DDCChannelMask == 0) {
        EnableOnlyChannel0(s);
    }
}

void EnableAllChannels(TSettings& s) {
    s.DDCChannelMask = 0xFFFF;
}

void EnableOnlyChannel0(TSettings& s) {
    s.DDCChannelMask = 1;
    s.InputSource[0] = 0;
}

void AllChannelsToAdc(TSettings& s, int adc) {
    CheckAdc(adc);
    for (int32_t& source : s.InputSource)
        source = adc;
}

void SetChannelFrequency(TSettings& s, int channel, std::string_view text, char decimalSeparator) {
    CheckChannel(channel);
    s.FrequencyNCO[channel] = ParseSingle(text, decimalSeparator);
}

void ApplyFrequencyToAll(TSettings& s, std::string_view text, char decimalSeparator) {
    ApplyFrequencyToAll(s, ParseSingle(text, decimalSeparator));
}

void ApplyFrequencyToAll(TSettings& s, float frequency) {
    for (float& f : s.FrequencyNCO)
        f = frequency;
}

void ApplyFrequencyToSelected(TSettings& s, std::string_view text, char decimalSeparator,
                              uint32_t channelsTicked) {
    ApplyFrequencyToSelected(s, ParseSingle(text, decimalSeparator), channelsTicked);
}

void ApplyFrequencyToSelected(TSettings& s, float frequency, uint32_t channelsTicked) {
    for (int i = 0; i < kDdcChannels; ++i) {
        if ((channelsTicked >> i) & 1u)
            s.FrequencyNCO[i] = frequency;
    }
}

void SetClockSource(TSettings& s, int item) {
    s.ClockSource = item;
}

void SetClockValue(TSettings& s, std::string_view text, char decimalSeparator) {
    const double value = ParseReal(text, decimalSeparator);
    CheckFitsSettingsFiles(value, text);
    (s.ClockSource != 0 ? s.ExternalClockValue : s.InternalClockValue) = value;
}

void SetDataFormat16(TSettings& s) {
    s.DataFormat = 0;
}
void SetDataFormat24(TSettings& s) {
    s.DataFormat = 4;
}

void SetDirSamplesPerChannel(TSettings& s, std::string_view text) {
    s.DirSamplesPerChannel = ParseInteger(text);
}

void SetDirFileName(TSettings& s, std::string_view text) {
    CheckStoredName(text, "The file name for direct recording");
    s.DirFileName = std::string(text);
}

void SetDdcProgramFile(TSettings& s, std::string_view text) {
    CheckStoredName(text, "The DDC program file name");
    s.DDCProgramFile = std::string(text);
}

// The program file is stored relative to the parent of its folder ("PRGFILES\IsGsm.prg"), with a
// backslash whatever the platform, as the acquisition program expects. A file with no folder
// around it (a bare name, or one lying in a root such as "D:\" or "/") is stored by its bare
// name, which the acquisition program looks up in the working directory.
void SetDdcProgramFromPath(TSettings& s, std::string_view path) {
    CheckNoLineBreak(path, "The DDC program file name");
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
    CheckStoredName(stored, "The DDC program file name");
    s.DDCProgramFile = std::move(stored);
}

// The name is shown, not kept in a file, so blanks around it do no harm.
void ConfigNameFromPath(TSettings& s, std::string_view path) {
    CheckNoLineBreak(path, "The configuration file name");
    std::string name = FileNameOfPath(path);
    if (name.empty()) {
        throw SettingsError("'" + std::string(path) + "' names no file");
    }
    CheckStringLength(name, "The configuration file name");
    s.CurrentConfigName = std::move(name);
}
