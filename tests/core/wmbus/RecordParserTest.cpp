// Data records as EN 13757-3 codes them: every data field coding, each VIF table, the
// combinable VIFEs, and records that end early or run on. Expected lines are what the console
// shows.
#include "core/wmbus/RecordParser.h"

#include "core/frames/HexInput.h"
#include "core/wmbus/RecordText.h"

#include <gtest/gtest.h>

using tovan::RecordList;
using tovan::RecordParser;
using tovan::RecordText;

namespace {

RecordList parse(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(tovan::parseHexInput(hex, bytes)) << hex;
    return RecordParser::parse(bytes);
}

// The lines of the records, and of the reason reading stopped.
std::vector<std::string> lines(const std::string& hex) {
    const RecordList list = parse(hex);
    std::vector<std::string> out;
    const auto dates = RecordText::storageDates(list.records);
    for (std::size_t i = 0; i < list.records.size(); ++i)
        out.push_back(RecordText::recordLine(list.records[i], dates[i]));
    if (!list.stopReason.empty())
        out.push_back("stop at " + std::to_string(list.stopOffset) + ": " + list.stopReason + "; " +
                      list.unread);
    return out;
}

std::string line(const std::string& hex) {
    const auto all = lines(hex);
    return all.size() == 1 ? all.front() : "(" + std::to_string(all.size()) + " lines)";
}

void expectLines(const std::vector<std::pair<const char*, const char*>>& cases) {
    for (const auto& [hex, expected] : cases)
        EXPECT_EQ(line(hex), expected) << hex;
}

} // namespace

TEST(RecordParser, ReadsEveryDataFieldCoding) {
    expectLines({
        {"00 13", "Volume (no value)"},
        {"01 13 FF", "Volume -0.001 m3"}, // integers are signed (type B)
        {"02 13 39 30", "Volume 12.345 m3"},
        {"03 13 FF FF 7F", "Volume 8388.607 m3"},
        {"04 13 00 00 00 80", "Volume -2147483.648 m3"},
        {"05 13 00 00 C0 3F", "Volume 0.0015 m3"}, // 32-bit real 1.5, in litres
        {"06 13 01 00 00 00 00 00", "Volume 0.001 m3"},
        {"07 13 FF FF FF FF FF FF FF FF", "Volume -0.001 m3"},
        {"08 13", "Volume (no value)"},
        {"09 13 12", "Volume 0.012 m3"},
        {"0A 13 34 12", "Volume 1.234 m3"},
        {"0B 13 56 34 12", "Volume 123.456 m3"},
        {"0C 13 78 56 34 12", "Volume 12345.678 m3"},
        {"0E 13 12 90 78 56 34 12", "Volume 123456789.012 m3"},
        {"0B 13 23 01 F0", "Volume -0.123 m3"}, // F as the top digit: minus
        {"0A 13 3A 12", "Volume 123A (not a BCD number)"},
        {"05 13 00 00 C0 7F", "Volume 7FC00000 (not a number)"},
        // Variable length: text (last character first), BCD, negative BCD, binary.
        {"0D FD 0C 03 43 42 41", "Model/version ABC"},
        {"0D 13 C2 34 12", "Volume 1.234 m3"},
        {"0D 13 D2 34 12", "Volume -1.234 m3"},
        {"0D 13 E2 39 30", "Volume 12.345 m3"},
        {"0D FD 0C 02 01 41", "Model/version 01 41"}, // not printable: kept as hex
    });
    EXPECT_EQ(lines("0D 13 F7 01"),
              std::vector<std::string>{"stop at 0: LVAR F7 is reserved; 0D 13 F7 01"});
}

TEST(RecordParser, ReadsThePrimaryTableWithUnitsAndScaling) {
    expectLines({
        {"04 00 39 30 00 00", "Energy 12.345 Wh"},
        {"04 03 39 30 00 00", "Energy 12.345 kWh"},
        {"04 06 D2 04 00 00", "Energy 1.234 MWh"},
        {"04 07 D2 04 00 00", "Energy 12.34 MWh"},
        {"04 0E D2 04 00 00", "Energy 1.234 GJ"},
        {"04 10 39 30 00 00", "Volume 12.345 l"},
        {"04 14 39 30 00 00", "Volume 123.45 m3"},
        {"04 1B D2 04 00 00", "Mass 1.234 t"},
        {"02 21 0A 00", "On time 10 min"},
        {"02 26 0A 00", "Operating time 10 h"},
        {"02 2D 0F 00", "Power 1.5 kW"},
        {"02 35 0F 00", "Power 1.5 MJ/h"},
        {"02 3B 7B 00", "Volume flow 0.123 m3/h"},
        {"02 43 7B 00", "Volume flow 0.0123 m3/min"},
        {"02 4F 7B 00", "Volume flow 1.23 m3/s"},
        {"02 53 7B 00", "Mass flow 0.123 t/h"},
        {"02 5A C4 01", "Flow temperature 45.2 \xC2\xB0"
                        "C"},
        {"02 5E 38 FF", "Return temperature -20.0 \xC2\xB0"
                        "C"},
        {"02 61 2C 01", "Temperature difference 3.00 K"},
        {"02 67 16 00", "External temperature 22 \xC2\xB0"
                        "C"},
        {"02 69 E8 03", "Pressure 10.00 bar"},
        {"02 6E 48 02", "Heat cost allocation 584 HCA"},
        {"02 71 3C 00", "Averaging duration 60 min"},
        {"02 74 3C 00", "Actuality duration 60 s"},
        {"0C 78 78 56 34 12", "Fabrication number 12345678"},
        {"04 79 4E 61 BC 00", "Enhanced identification 12345678"},
        {"01 7A 05", "Bus address 5"},
        {"02 7F 01 02", "Manufacturer-specific VIF 01 02"},
        {"01 6F 05", "Reserved VIF 05"},
        {"02 7C 03 48 52 25 2A 00", "Value 42 %RH"}, // plain-text unit, last character first
    });
}

TEST(RecordParser, ReadsTheExtensionTables) {
    expectLines({
        {"04 FB 00 D2 04 00 00", "Energy 123.4 MWh"},
        {"04 FB 09 D2 04 00 00", "Energy 1234 GJ"},
        {"02 FB 11 05 00", "Volume 5000 m3"},
        {"02 FB 1A 2D 02", "Relative humidity 55.7 %RH"},
        {"02 FB 29 0C 00", "Power 12 MW"},
        {"02 FB 5A C4 01", "Flow temperature 45.2 \xC2\xB0"
                           "F"},
        {"01 FB 04 03", "Reserved VIF 03"},
        {"02 FD 17 04 00", "Error flags 0004"},
        {"02 FD 1B 81 00", "Digital input 0081"},
        {"0C FD 0E 01 00 00 00", "Metrology (firmware) version 00000001"},
        {"02 FD 48 FC 08", "Voltage 230.0 V"},
        {"02 FD 59 E8 03", "Current 1.000 A"},
        {"01 FD 71 B0", "RF level -80 dBm"},
        {"02 FD 74 6D 01", "Remaining battery life time 365 d"},
        {"02 FD 6E 03 00", "Operating time battery 3 months"},
        {"02 FD 3B 00 00", "Reserved VIF 00 00"},
    });
}

TEST(RecordParser, AppliesCombinableExtensions) {
    expectLines({
        {"04 93 3B 39 30 00 00", "Volume 12.345 m3 (forward flow)"},
        {"04 93 3C 39 30 00 00", "Volume 12.345 m3 (backward flow)"},
        {"04 93 74 39 30 00 00", "Volume 123.45 l"},           // correction factor 10^-2
        {"04 93 7D 39 30 00 00", "Volume 12345 m3"},           // correction factor 10^3
        {"02 93 16 00 00", "Volume 0.000 m3 (data overflow)"}, // a record error
        {"02 93 53 05 00", "Volume 5 d (duration of first lower limit exceed)"},
        {"04 93 6A 32 37 1F 15", "Volume 2008-05-31 23:50 (date of begin of first)"},
        {"04 93 A2 3B 39 30 00 00", "Volume 12.345 m3 (per hour, forward flow)"},
        {"01 93 FF 01 02", "Volume 02 (manufacturer-specific)"},
    });
}

TEST(RecordParser, ReadsStorageTariffSubunitFunctionAndTheStorageDate) {
    expectLines({
        {"44 13 39 30 00 00", "Volume 12.345 m3 (storage 1)"},
        {"C4 01 13 39 30 00 00", "Volume 12.345 m3 (storage 3)"},
        {"84 10 13 39 30 00 00", "Volume 12.345 m3 (tariff 1)"},
        {"84 40 13 39 30 00 00", "Volume 12.345 m3 (subunit 1)"},
        {"84 80 80 80 80 80 80 80 80 80 01 13 39 30 00 00",
         "Volume 12.345 m3 (storage 137438953472)"},
        {"14 13 39 30 00 00", "Volume 12.345 m3 (maximum)"},
        {"24 13 39 30 00 00", "Volume 12.345 m3 (minimum)"},
        {"34 13 39 30 00 00", "Volume 12.345 m3 (value during error state)"},
    });
    EXPECT_EQ(lines("44 13 39 30 00 00 42 6C 5E 3B 04 13 40 30 00 00"),
              (std::vector<std::string>{"Volume 12.345 m3 (storage 1, 2026-11-30)",
                                        "Date 2026-11-30 (storage 1)", "Volume 12.352 m3"}));
}

TEST(RecordParser, ReadsDatesAndKeepsInvalidOnesAsTheyCame) {
    expectLines({
        {"02 6C E9 19", "Date 2015-09-09"},
        {"04 6D 32 37 1F 15", "Date and time 2008-05-31 23:50"},
        {"04 6D 1E 0C 5E 3B", "Date and time 2026-11-30 12:30"}, // no century bits: 20xx
        {"06 6D 38 22 0C 01 33 09", "Date and time 2024-03-01 12:34:56"},
        {"03 6D 38 22 0C", "Date and time 12:34:56"},
        {"04 6D B2 37 1F 15", "Date and time 151F37B2 (not a valid date)"}, // invalid bit
        {"02 6C E9 1D", "Date 1DE9 (not a valid date)"},                    // month 13
        {"0C 6D 32 37 1F 15", "Date and time 151F3732"},                    // BCD is no date
    });
}

TEST(RecordParser, EndsTheListWithTheReasonWhereARecordCannotBeRead) {
    // Fillers are skipped anywhere; data after DIF 0F or 1F is the manufacturer's.
    RecordList list = parse("2F 2F 02 13 39 30 2F 0F 01 02 03");
    EXPECT_EQ(list.records.size(), 1u);
    EXPECT_TRUE(list.stopReason.empty());
    EXPECT_EQ(list.manufacturerData, "01 02 03");
    EXPECT_FALSE(list.moreRecordsFollow);
    EXPECT_TRUE(parse("1F").moreRecordsFollow);

    const std::pair<const char*, const char*> cases[] = {
        {"02 13 39 30 3F 13 00", "stop at 4: DIF 3F is reserved; 3F 13 00"},
        {"02 13 39 30 04 13 39 30",
         "stop at 4: the record needs 4 data bytes, 2 are left; 04 13 39 30"},
        {"84", "stop at 0: the DIF extension runs past the end; 84"},
        {"04", "stop at 0: the record ends before its VIF; 04"},
        {"04 93", "stop at 0: the VIF extension runs past the end; 04 93"},
        {"04 FD", "stop at 0: the VIF's table code runs past the end; 04 FD"},
        {"04 FC 05 41", "stop at 0: the plain-text unit runs past the end; 04 FC 05 41"},
        {"0D 13", "stop at 0: the record ends before its LVAR byte; 0D 13"},
        {"84 80 80 80 80 80 80 80 80 80 80 01 13",
         "stop at 0: more than 10 DIFEs; 84 80 80 80 80 80 80 80 80 80 80 01 13"},
        {"04 93 80 80 80 80 80 80 80 80 80 80 00",
         "stop at 0: more than 10 VIFEs; 04 93 80 80 80 80 80 80 80 80 80 80 00"},
    };
    for (const auto& [hex, stop] : cases)
        EXPECT_EQ(lines(hex).back(), stop) << hex;
    EXPECT_EQ(lines("02 13 39 30 04 13 39 30").front(), "Volume 12.345 m3"); // kept
}
