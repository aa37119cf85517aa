// The operations by which the user's actions change a settings record; callable without a window.
//
// A refused input throws SettingsError and leaves the record unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings.h"

// adcsTicked: bit j set for each ADC box ticked in column `channel` of the matrix.
void SetChannelAdcs(TSettings& s, int channel, uint32_t adcsTicked);
void EnableAllChannels(TSettings& s);
void EnableOnlyChannel0(TSettings& s);
void AllChannelsToAdc(TSettings& s, int adc);

void SetChannelFrequency(TSettings& s, int channel, std::string_view text, char decimalSeparator);
void ApplyFrequencyToAll(TSettings& s, std::string_view text, char decimalSeparator);
void ApplyFrequencyToAll(TSettings& s, float frequency);
// channelsTicked: bit i set for each ticked selection box of the window.
void ApplyFrequencyToSelected(TSettings& s, std::string_view text, char decimalSeparator,
                              uint32_t channelsTicked);
void ApplyFrequencyToSelected(TSettings& s, float frequency, uint32_t channelsTicked);

void SetClockSource(TSettings& s, int item);
void SetClockValue(TSettings& s, std::string_view text, char decimalSeparator);
void SetDataFormat16(TSettings& s);
void SetDataFormat24(TSettings& s);
void SetDirSamplesPerChannel(TSettings& s, std::string_view text);

void SetDirFileName(TSettings& s, std::string_view text);
void SetDdcProgramFile(TSettings& s, std::string_view text);
void SetDdcProgramFromPath(TSettings& s, std::string_view path);
void ConfigNameFromPath(TSettings& s, std::string_view path);

// The file name of a path: the text after its last "\" or "/".
std::string FileNameOfPath(std::string_view path);
