// The parameter memory map: parts, areas, addresses and sizes, the line rules, and the files
// that must fail.

#include <gtest/gtest.h>

#include "MemoryMap.h"
#include "TextLines.h"

namespace {
const char* kMap = R"([KONSTANTEN]
DeviceName, 0x0100, "text"

[FLASH]
[KOMMUNIKATION]
Start: 0x0100
[PARAMETER]
NodeId, long
Baud, char
Guard Time, unsigned int
Ende
[SENSOR]
Start: 512
[PARAMETER]
"Resolution 1", data ; steps per turn
Offset;long, long
Ende
[EEPROM]
[KOMMUNIKATION]
Start: 0x20
[PARAMETER]
Serial, long
Ende
[Sensor]
Start: 0x40
[PARAMETER]
Ende
)";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

MemoryMapResult Read(const std::string& text) { return ReadMemoryMap(SplitLines(text)); }
}  // namespace

TEST(MemoryMap, AreasAddressesAndSizes) {
    const MemoryMapResult r = Read(kMap);
    ASSERT_TRUE(r.ok) << r.error.text;
    const MemoryArea& comm = r.map.Area(MemoryAreaKind::FlashCommunication);
    ASSERT_EQ(comm.parameters.size(), 3u);
    const uint32_t addresses[] = {0x0100, 0x0104, 0x0105};
    const int32_t sizes[] = {4, 1, 2};
    const char* names[] = {"NodeId", "Baud", "GuardTime"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(comm.parameters[i].address, addresses[i]);
        EXPECT_EQ(comm.parameters[i].size, sizes[i]);
        EXPECT_EQ(comm.parameters[i].name, names[i]);
    }
    EXPECT_EQ(comm.totalSize, 7u);
    EXPECT_EQ(comm.end, 0x0106u);
    EXPECT_EQ(comm.blocks, 0u);
    EXPECT_EQ(comm.blocksRounded, 1u);

    const MemoryArea& sensor = r.map.Area(MemoryAreaKind::FlashSensor);
    EXPECT_EQ(sensor.start, 512u);
    ASSERT_EQ(sensor.parameters.size(), 2u);
    EXPECT_EQ(sensor.parameters[0].name, "Resolution 1");  // blanks kept inside quotes
    EXPECT_EQ(sensor.parameters[0].size, 3);
    // A ";" before the first comma: the name only.
    EXPECT_EQ(sensor.parameters[1].name, "Offset");
    EXPECT_EQ(sensor.parameters[1].size, 0);
    EXPECT_EQ(sensor.parameters[1].address, 515u);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0].line, 16);

    EXPECT_EQ(r.map.Area(MemoryAreaKind::EepromCommunication).parameters[0].address, 0x20u);
    // An empty area (section name in another case).
    const MemoryArea& empty = r.map.Area(MemoryAreaKind::EepromSensor);
    EXPECT_EQ(empty.start, 0x40u);
    EXPECT_TRUE(empty.parameters.empty());
    EXPECT_EQ(empty.end, 0x3Fu);
}

TEST(MemoryMap, TypesAndFields) {
    EXPECT_EQ(MemoryTypeSize("unsignedlong"), 4);
    EXPECT_EQ(MemoryTypeSize("data"), 3);
    EXPECT_EQ(MemoryTypeSize("int"), 2);
    EXPECT_EQ(MemoryTypeSize("uchar"), 1);
    EXPECT_EQ(MemoryTypeSize("float"), 0);
    EXPECT_EQ(MemoryLineFields("a b, \"c, d\" ;x,y"), (std::vector<std::string>{"ab", "c, d"}));
    // At most 256 characters are read.
    EXPECT_EQ(MemoryLineFields(std::string(300, 'n'))[0].size(), 256u);
}

TEST(MemoryMap, FilesThatFail) {
    std::string forty = "[FLASH]\n[KOMMUNIKATION]\nStart: 0\n[PARAMETER]\n";
    for (int i = 0; i < 40; ++i) forty += "P" + std::to_string(i) + ",char\n";
    forty += "Ende\n";
    std::string thirtyNine = forty;
    thirtyNine.erase(thirtyNine.find("P39,char\n"), 9);
    const std::string rest = "[SENSOR]\nStart: 0\n[PARAMETER]\nEnde\n[EEPROM]\n[KOMMUNIKATION]\nStart: 0\n"
                             "[PARAMETER]\nEnde\n[SENSOR]\nStart: 0\n[PARAMETER]\nEnde\n";
    EXPECT_FALSE(Read(forty + rest).ok);
    const MemoryMapResult ok = Read(thirtyNine + rest);
    EXPECT_TRUE(ok.ok) << ok.error.text;
    EXPECT_EQ(ok.map.Area(MemoryAreaKind::FlashCommunication).parameters.size(), 39u);

    const struct {
        const char* what;
        std::string text;
        int line;
    } cases[] = {
        {"no [FLASH]", Replace(kMap, "[FLASH]", "[FLUSH]"), 0},
        {"no [EEPROM]", Replace(kMap, "[EEPROM]", "[EPROM]"), 0},
        {"sensor area missing in FLASH (the EEPROM's is not taken)", Replace(kMap, "[SENSOR]", "[SENS]"), 4},
        {"Start missing", Replace(kMap, "Start: 512", "Begin: 512"), 12},
        {"Start not a number", Replace(kMap, "Start: 512", "Start: zz"), 13},
        {"Ende missing at the end of the file", Replace(kMap, "[PARAMETER]\nEnde\n", "[PARAMETER]\n"), 26},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const MemoryMapResult r = Read(c.text);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.line, c.line) << r.error.text;
    }
    EXPECT_FALSE(LoadMemoryMapFile("/nonexistent/Memory.dat").ok);
}
