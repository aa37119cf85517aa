// Every catalogue row through both files: a value unlike the default goes into the text each file
// writes and comes back as itself; the defaults do the same.
#include <gtest/gtest.h>

#include <string>

#include "core/setting_catalogue.h"
#include "files/config_file.h"
#include "files/file_text.h"
#include "files/ini_file.h"
#include "files/profile_store.h"

namespace {

// A value of the row's kind unlike the default: another offered value for a list, another bit
// pattern for a mask, a fraction the one-decimal files keep for a real, a name with a blank.
void SetOther(const SettingRow& row, TSettings& s) {
    switch (TypeOf(row)) {
        case FieldType::Integer: {
            int32_t& value = IntegerOf(row, s);
            if (!row.options.empty()) {
                value = row.options[row.options[0].value == value ? 1 : 0].value;
            } else if (row.maskBits > 0) {
                value ^= 0x3;
            } else {
                value += 7;
            }
            break;
        }
        case FieldType::Single:
            SingleOf(row, s) += 1234.5f;
            break;
        case FieldType::Double:
            DoubleOf(row, s) += 1234.5;
            break;
        case FieldType::String:
            StringOf(row, s) = std::string("other ") + row.key + ".x";
            break;
    }
}

bool SameValue(const SettingRow& row, const TSettings& a, const TSettings& b) {
    switch (TypeOf(row)) {
        case FieldType::Integer:
            return IntegerOf(row, a) == IntegerOf(row, b);
        case FieldType::Single:
        case FieldType::Double:
            return RealOf(row, a) == RealOf(row, b);
        case FieldType::String:
            break;
    }
    return StringOf(row, a) == StringOf(row, b);
}

TEST(CatalogueRows, EveryConfigurationRowRoundTrips) {
    for (const SettingRow* row : RowsOf(FileOf::Config)) {
        SCOPED_TRACE(row->key);
        for (const bool other : {false, true}) {
            TSettings written;
            if (other)
                SetOther(*row, written);
            EXPECT_EQ(other, !SameValue(*row, written, TSettings{}));
            TSettings read;
            SetOther(*row, read);
            SetOther(*row, read);  // neither the default nor the written value
            ReadConfigFrom(ProfileStore(ConfigText(written)), read);
            EXPECT_TRUE(SameValue(*row, read, written));
        }
    }
}

TEST(CatalogueRows, EveryInitializationRowIsWrittenInItsFormat) {
    for (const SettingRow* row : RowsOf(FileOf::Ini)) {
        SCOPED_TRACE(row->key);
        TSettings written;
        SetOther(*row, written);
        if (row->iniWrite == IniWrite::DataFormat)
            written.EnableDDC = 1;  // the DDC format is the one written
        ProfileStore store;
        WriteIniTo(store, written);
        const std::string text = store.Read(row->section, row->key, "\n");
        ASSERT_NE(text, "\n");
        const std::string value = text.substr(0, text.find_first_of("\t;"));
        switch (row->ini) {
            case ValueFormat::Decimal:
                EXPECT_EQ(value, files::UnsignedText(IntegerOf(*row, written)));
                break;
            case ValueFormat::Hex:
                EXPECT_EQ(value,
                          "0x" + files::HexText(IntegerOf(*row, written), files::HexCase::Upper));
                break;
            case ValueFormat::Real1:
            case ValueFormat::Real2:
                EXPECT_EQ(value, files::FixedText(RealOf(*row, written),
                                                  row->ini == ValueFormat::Real1 ? 1 : 2));
                break;
            case ValueFormat::String:
                EXPECT_EQ(value, StringOf(*row, written));
                break;
            case ValueFormat::None:
                ADD_FAILURE() << "a row of the initialization file without a format";
                break;
        }
    }
}

// The rows the acquisition program owns are read, never written; the window's own never reach it.
TEST(CatalogueRows, WhatEachFileHolds) {
    std::string iniOnly, configOnly, readOnly;
    for (const SettingRow& row : SettingCatalogue()) {
        if (row.ini != ValueFormat::None && row.config == ValueFormat::None)
            iniOnly += std::string(row.key) + " ";
        if (row.config != ValueFormat::None && row.ini == ValueFormat::None)
            configOnly += std::string(row.key) + " ";
        if (row.iniRead)
            readOnly += std::string(row.key) + " ";
    }
    EXPECT_EQ(iniOnly, "DirNumBufWrite ");
    EXPECT_EQ(configOnly, "FreqNC0 MaskSelFreqNCO ");
    EXPECT_EQ(readOnly, "DirFileBufSize InternalClockValue ");
    EXPECT_EQ(RowsOf(FileOf::Config).size(), 50u);
    EXPECT_EQ(RowsOf(FileOf::Ini).size(), 49u);
}

}  // namespace
