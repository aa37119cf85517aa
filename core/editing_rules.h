// The operations by which the user's actions change Settings; callable without a window.
//
// A refused input throws SettingsError and leaves Settings unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// adcsTicked: bit j set for each ADC box ticked in column `channel` of the matrix.
void SetChannelAdcs(int channel, uint32_t adcsTicked);
void EnableAllChannels();
void EnableOnlyChannel0();
void AllChannelsToAdc(int adc);

void SetChannelFrequency(int channel, std::string_view text, char decimalSeparator);
void ApplyFrequencyToAll(std::string_view text, char decimalSeparator);
void ApplyFrequencyToAll(float frequency);
// channelsTicked: bit i set for each ticked selection box of the window.
void ApplyFrequencyToSelected(std::string_view text, char decimalSeparator,
                              uint32_t channelsTicked);
void ApplyFrequencyToSelected(float frequency, uint32_t channelsTicked);

void SetClockSource(int item);
void SetClockValue(std::string_view text, char decimalSeparator);
void SetDataFormat16();
void SetDataFormat24();
void SetDirSamplesPerChannel(std::string_view text);

void SetDirFileName(std::string_view text);
void SetDdcProgramFile(std::string_view text);
void SetDdcProgramFromPath(std::string_view path);
void ConfigNameFromPath(std::string_view path);

// The file name of a path: the text after its last "\" or "/".
std::string FileNameOfPath(std::string_view path);
