// The parameter memory window's logic: loading with the fallback to the default file, the rows
// of an area with and without values, and the bootloader hooks.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>

#include "ObjectsTestSupport.h"
#include "ParameterMemory.h"

namespace {
const char* kMap =
    "[FLASH]\r\n[KOMMUNIKATION]\r\nStart: 0x0100\r\n[PARAMETER]\r\nNodeId, long\r\nBaud, char\r\nGuard Time, int\r\n"
    "Ende\r\n[SENSOR]\r\nStart: 0x200\r\n[PARAMETER]\r\nEnde\r\n[EEPROM]\r\n[KOMMUNIKATION]\r\nStart: 0\r\n"
    "[PARAMETER]\r\nEnde\r\n[SENSOR]\r\nStart: 0x10\r\n[PARAMETER]\r\nSerial, long\r\nEnde\r\n";

std::string Write(const QTemporaryDir& dir, const std::string& name, const std::string& text) {
    const std::string path = dir.path().toStdString() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}
}  // namespace

TEST(ParameterMemory, LoadsWithFallbackAndShowsValues) {
    QTemporaryDir dir;
    EditingOperator op;
    ParameterMemory memory(op);
    memory.SetDefaultPath(Write(dir, "Memory.dat", kMap));
    const std::string broken = Write(dir, "user.dat", "[FLASH]\r\n");

    EXPECT_TRUE(memory.Load(broken));
    EXPECT_EQ(op.messages, (std::vector<std::string>{
                               "Load Memory.dat: User-defined Memory.dat could not be loaded.\nUsing default Memory.dat."}));
    op.messages.clear();
    EXPECT_TRUE(memory.Load(dir.path().toStdString() + "/Memory.dat"));
    EXPECT_TRUE(op.messages.empty());

    auto rows = memory.Rows(MemoryAreaKind::FlashCommunication);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2], (ParameterMemoryRow{"0x0105", "GuardTime", "", ""}));
    EXPECT_EQ(memory.Summary(MemoryAreaKind::FlashCommunication), "Start 0x0100  End 0x0106  Size 7  Blocks 0");

    // Values from the bytes read at the area's start; bytes missing leave the value empty.
    memory.SetAreaBytes(MemoryAreaKind::FlashCommunication, {0x78, 0x56, 0x34, 0x12, 0x05, 0x34});
    rows = memory.Rows(MemoryAreaKind::FlashCommunication);
    EXPECT_EQ(rows[0], (ParameterMemoryRow{"0x0100", "NodeId", "305419896", "0x12345678"}));
    EXPECT_EQ(rows[1], (ParameterMemoryRow{"0x0104", "Baud", "5", "0x05"}));
    EXPECT_EQ(rows[2][2], "");

    // Neither file: the reason with file and line.
    memory.SetDefaultPath(broken);
    EXPECT_FALSE(memory.Load(dir.path().toStdString() + "/none.dat"));
    EXPECT_FALSE(memory.Loaded());
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.messages[0], "Load Memory.dat: [KOMMUNIKATION] not found in FLASH communication\n" + broken + ", line 1");
}

TEST(ParameterMemory, BootloaderOperationsAreHooks) {
    QTemporaryDir dir;
    EditingOperator op;
    ParameterMemory memory(op);
    memory.SetDefaultPath(Write(dir, "Memory.dat", kMap));
    ASSERT_TRUE(memory.LoadDefault());
    EXPECT_FALSE(memory.CanRead());
    memory.Read(MemoryAreaKind::EepromSensor);  // nothing happens

    std::vector<MemoryAreaKind> cleared;
    RegisterParameterMemoryOperations(
        [](ParameterMemory& m, MemoryAreaKind area) { m.SetAreaBytes(area, {1, 0, 0, 0}); },
        [&](ParameterMemory&, MemoryAreaKind area) { cleared.push_back(area); });
    EXPECT_TRUE(memory.CanRead() && memory.CanClear());
    memory.Read(MemoryAreaKind::EepromSensor);
    EXPECT_EQ(memory.Rows(MemoryAreaKind::EepromSensor)[0][3], "0x00000001");
    memory.Clear(MemoryAreaKind::FlashSensor);
    EXPECT_EQ(cleared, (std::vector<MemoryAreaKind>{MemoryAreaKind::FlashSensor}));
    RegisterParameterMemoryOperations(nullptr, nullptr);
}
