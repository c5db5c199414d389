// The object browser end to end: the EDS of the simulated encoder, every entry uploaded,
// single reads and writes, store and restore, pre-operational; answer forms from a scripted
// node; cancel and silence.

#include <gtest/gtest.h>

#include "ObjectBrowser.h"
#include "ObjectsTestSupport.h"
#include "StationHarness.h"

namespace {
const std::string kEncoderEds = std::string(QUARZEL_EXAMPLES_DIR) + "/qz-encoder-5813.eds";

struct BrowserBench {
    explicit BrowserBench(bool withDevice = true) : h(EncoderOptions{}, withDevice) {
        ScriptVariables().Set("NodeId", 1);
        ScriptVariables().Set("Timer", 1);
        ScriptVariables().Set("TimerLong", 50);
        ScriptVariables().Set("Baudr", 2);
        CanOpen();
    }
    bool UploadAll(uint64_t limitMs = 60'000) {
        browser.btnUploadClick();
        return h.Time().RunUntil([this] { return !browser.UploadRunning(); }, h.Time().NowUs() + limitMs * 1000);
    }
    void Settle(uint64_t ms = 100) { h.Time().AdvanceByMs(ms); }
    const ObjectEntry& Entry(uint32_t index, uint32_t sub) const {
        for (const ObjectEntry& e : browser.Table())
            if (e.index == index && e.subindex == sub) return e;
        static ObjectEntry none;
        ADD_FAILURE() << std::hex << index << " sub " << sub << " not in the table";
        return none;
    }
    int Row(uint32_t index, uint32_t sub) const {
        const auto& t = browser.Table();
        for (size_t i = 0; i < t.size(); ++i)
            if (t[i].index == index && t[i].subindex == sub) return static_cast<int>(i + 1);
        return -1;
    }
    std::vector<uint8_t> LastFrameData() const {
        return h.StationFrames().empty() ? std::vector<uint8_t>{} : h.StationFrames().back().data;
    }

    StationHarness h;
    EditingOperator op;
    ObjectBrowser browser{op};
};
}  // namespace

TEST(ObjectBrowser, UploadsEveryEntryOfTheSimulatedEncoder) {
    BrowserBench b;
    ASSERT_TRUE(b.browser.LoadFile(kEncoderEds));
    EXPECT_EQ(b.browser.StatusText(), kEncoderEds);
    EXPECT_EQ(b.browser.History()[0], kEncoderEds);
    ASSERT_TRUE(b.UploadAll());
    EXPECT_TRUE(b.op.messages.empty()) << b.op.messages.front();
    EXPECT_EQ(b.browser.Progress(), b.browser.ProgressTotal());

    // The first frame switches the node to pre-operational, the second asks for 0x1000.
    const auto& frames = b.h.StationFrames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0].id, 0u);
    EXPECT_EQ(frames[0].data, (std::vector<uint8_t>{0x80, 0x01}));
    EXPECT_EQ(frames[1].id, 0x601u);
    EXPECT_EQ(frames[1].data, (std::vector<uint8_t>{0x40, 0x00, 0x10, 0x00, 0, 0, 0, 0}));

    EXPECT_EQ(b.Entry(0x1000, 0).value, 0x00020196u);
    EXPECT_EQ(b.Entry(0x1000, 0).length, 4);
    EXPECT_EQ(b.Entry(0x1001, 0).length, 1);
    EXPECT_EQ(b.Entry(0x1018, 4).value, 0x12345678u);
    EXPECT_EQ(b.Entry(0x1014, 0).value, 0x81u);
    EXPECT_EQ(b.Entry(0x1008, 0).valueText, "QZ Multiturn Encoder 5813");
    EXPECT_EQ(b.Entry(0x1008, 0).length, 25);
    // A write-only object: the abort is kept, the row marked.
    EXPECT_EQ(b.Entry(0x2010, 0).valueText, "*** read error ***");
    EXPECT_EQ(b.Entry(0x2010, 0).abortCode, 0x06010001u);
    // 4000 bytes in 572 segments: the text is cut at 79 characters, the length is the whole.
    EXPECT_EQ(b.Entry(0x2012, 0).valueText.size(), kEntryValueTextChars);
    EXPECT_EQ(b.Entry(0x2012, 0).valueText.substr(0, 5), "ABCDE");
    EXPECT_EQ(b.Entry(0x2012, 0).length, 4000);

    // The grid after the upload: the record's sub-entries show their sub-index.
    const auto& grid = b.browser.Grid();
    ASSERT_EQ(grid.size(), b.browser.Table().size() + 1);
    EXPECT_EQ(grid[0][0], "No.");
    const int header = b.Row(0x1018, kHeaderSubindex);
    EXPECT_EQ(grid[header][2], "1018");
    EXPECT_EQ(grid[header][1], "Identityobject");
    for (int sub = 0; sub <= 4; ++sub) {
        EXPECT_EQ(grid[header + 1 + sub][3], "0" + std::to_string(sub));
        EXPECT_EQ(grid[header + 1 + sub][2], "");
    }
    const int device = b.Row(0x1000, 0);
    EXPECT_EQ(grid[device], (ObjectGridRow{std::to_string(device), "Devicetype", "1000", "", "4", "131478", "0x00020196", ""}));
    EXPECT_EQ(grid[b.Row(0x1001, 0)][6], "0x00");
    EXPECT_EQ(grid[b.Row(0x1008, 0)][7], "QZ Multiturn Encoder 5813");
}

TEST(ObjectBrowser, UploadRefusalsCancelAndSilence) {
    {
        BrowserBench b;
        b.browser.btnUploadClick();
        EXPECT_EQ(b.op.messages, (std::vector<std::string>{"OBJECTS: EDS file was not loaded"}));
        EXPECT_TRUE(b.h.StationFrames().empty());
    }
    {
        // Cancelled after a few ticks: what was read stays, nothing more is sent.
        BrowserBench b;
        ASSERT_TRUE(b.browser.LoadFile(kEncoderEds));
        b.browser.btnUploadClick();
        b.h.Time().AdvanceByMs(10);
        ASSERT_TRUE(b.browser.UploadRunning());
        b.browser.btnCancelClick();
        EXPECT_FALSE(b.browser.UploadRunning());
        const size_t sent = b.h.StationFrames().size();
        b.Settle(2000);
        EXPECT_EQ(b.h.StationFrames().size(), sent);
        EXPECT_EQ(b.Entry(0x1000, 0).value, 0x00020196u);
        EXPECT_EQ(b.Entry(0x650B, 0).readState, EntryReadState::NotRead);
        EXPECT_EQ(b.browser.StatusText(), "Upload cancelled");
        EXPECT_TRUE(b.op.messages.empty());
    }
    {
        // Cancelled inside the 4000-byte segmented upload: the transfer is aborted on the bus.
        BrowserBench b;
        ASSERT_TRUE(b.browser.LoadFile(kEncoderEds));
        b.browser.btnUploadClick();
        ASSERT_TRUE(b.h.Time().RunUntil([&] { return b.browser.StatusText() == "2012"; },
                                        b.h.Time().NowUs() + 60'000'000));
        b.Settle(20);
        b.browser.btnCancelClick();
        EXPECT_EQ(b.LastFrameData(), (std::vector<uint8_t>{0x80, 0x12, 0x20, 0x00, 0x00, 0x00, 0x00, 0x08}));
    }
    {
        // A silent node: the upload stops at the first entry with "no response".
        BrowserBench b(false);
        ASSERT_TRUE(b.browser.LoadFile(kEncoderEds));
        ASSERT_TRUE(b.UploadAll());
        EXPECT_EQ(b.op.messages, (std::vector<std::string>{"READ OBJECT: no response"}));
        EXPECT_EQ(b.browser.StatusText(), "no response 1000");
        EXPECT_EQ(b.h.StationFrames().size(), 2u);
    }
}

TEST(ObjectBrowser, SingleReadWriteStoreRestoreAndPreOperational) {
    BrowserBench b;
    ASSERT_TRUE(b.browser.LoadFile(kEncoderEds));
    auto settle = [&] { b.Settle(100); };

    // Checks before anything is sent: the title row, a header row, a string.
    b.browser.btnReadClick(0);
    b.browser.btnWriteClick(b.Row(0x1018, kHeaderSubindex));
    b.browser.btnReadClick(b.Row(0x1018, kHeaderSubindex));
    b.browser.btnReadClick(b.Row(0x1008, 0));
    b.browser.btnWriteClick(b.Row(0x1008, 0));
    b.browser.btnReadClick(100000);
    EXPECT_EQ(b.op.messages, (std::vector<std::string>{
                                 "EDIT OBJECT: No valid entry in this cell", "EDIT OBJECT: Entry cannot be edited",
                                 "EDIT OBJECT: Entry cannot be edited", "READ OBJECT: Object can only be read via upload",
                                 "EDIT OBJECT: Entry cannot be edited", "EDIT OBJECT: No valid entry in this cell"}));
    EXPECT_TRUE(b.h.StationFrames().empty());
    b.op.messages.clear();

    // A 16-bit object read before any upload (its data type gives the length).
    b.browser.btnReadClick(b.Row(0x1017, 0));
    settle();
    EXPECT_EQ(b.LastFrameData(), (std::vector<uint8_t>{0x40, 0x17, 0x10, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(b.Entry(0x1017, 0).length, 2);
    EXPECT_EQ(b.browser.Grid()[b.Row(0x1017, 0)][6], "0x0000");

    // Write: the dialog's fields, then 2B 17 10 00 64 00 00 00; the device holds the value.
    b.op.edits.push_back({0x64, 2});
    b.browser.btnWriteClick(b.Row(0x1017, 0));
    settle();
    ASSERT_EQ(b.op.shownFields.size(), 1u);
    const EditFieldSet& f = b.op.shownFields[0];
    EXPECT_EQ(f[0].caption, "Object index");
    EXPECT_EQ(f[0].text, "1017");
    EXPECT_EQ(f[1].text, "0");
    EXPECT_EQ(f[2].caption, "Value");
    EXPECT_EQ(f[2].text, "0x0");
    EXPECT_EQ(f[3].caption, "Data length (1...4)");
    EXPECT_EQ(f[3].text, "2");
    EXPECT_EQ(b.LastFrameData(), (std::vector<uint8_t>{0x2B, 0x17, 0x10, 0x00, 0x64, 0, 0, 0}));
    EXPECT_EQ(b.Entry(0x1017, 0).value, 0x64u);
    b.browser.btnReadClick(b.Row(0x1017, 0));
    settle();
    EXPECT_EQ(b.Entry(0x1017, 0).value, 0x64u);

    // Lengths outside 1..4 are refused; a read-only object refuses the write.
    b.op.edits.push_back({1, 5});
    b.op.edits.push_back({1, 0});
    b.op.edits.push_back({1, 4});
    const size_t sent = b.h.StationFrames().size();
    b.browser.btnWriteClick(b.Row(0x1017, 0));
    b.browser.btnWriteClick(b.Row(0x1017, 0));
    EXPECT_EQ(b.h.StationFrames().size(), sent);
    b.browser.btnWriteClick(b.Row(0x1000, 0));
    settle();
    EXPECT_EQ(b.LastFrameData(), (std::vector<uint8_t>{0x23, 0x00, 0x10, 0x00, 1, 0, 0, 0}));
    ASSERT_EQ(b.op.messages.size(), 3u);
    EXPECT_EQ(b.op.messages[0], "WRITE OBJECTS: Data length (1...4): 5 is not 1 to 4");
    EXPECT_EQ(b.op.messages[2], "WRITE OBJECTS: Value could not be written\n0x06010002 Err_onlyRead");
    b.op.messages.clear();

    b.browser.btnSaveClick();
    settle();
    EXPECT_EQ(b.LastFrameData(), (std::vector<uint8_t>{0x23, 0x10, 0x10, 0x01, 's', 'a', 'v', 'e'}));
    b.browser.btnLoadDefaultClick();
    settle();
    EXPECT_EQ(b.LastFrameData(), (std::vector<uint8_t>{0x23, 0x11, 0x10, 0x01, 'l', 'o', 'a', 'd'}));
    b.browser.btnPreOpClick();
    EXPECT_EQ(b.h.StationFrames().back().id, 0u);
    EXPECT_EQ(b.LastFrameData(), (std::vector<uint8_t>{0x80, 0x01}));
    EXPECT_TRUE(b.op.messages.empty()) << b.op.messages.front();

    // Store with EEPROM writing disabled: the device aborts.
    b.op.edits.push_back({1, 1});
    b.browser.btnWriteClick(b.Row(0x2000, 0));
    settle();
    b.browser.btnSaveClick();
    settle();
    EXPECT_EQ(b.op.messages, (std::vector<std::string>{"WRITE OBJECTS: Value could not be written\n0x08000021 Err_DataNotStoredLocal"}));
}

// Answer forms from a scripted node.
TEST(ObjectBrowser, AnswerForms) {
    BrowserBench b(false);
    ScriptedSdoNode node(b.h.Bus(), 1);
    ObjectTable table(3);
    table[0].index = 0x2000;
    table[1].index = 0x2001;
    table[2].index = 0x2002;
    b.browser.SetTable(table, "scripted");
    node.answers = {
        {0x43, 0x00, 0x20, 0x00, 0x11, 0x22, 0x33, 0x44},  // 4 bytes, size indicated
        {0x4F, 0x01, 0x20, 0x00, 0x55, 0x66, 0x77, 0x88},  // 1 byte
        {0x41, 0x02, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00},  // segmented, announcing 0 bytes
        {0x0B, 'a', 'b', 0, 0, 0, 0, 0},                   // last segment, 2 bytes
    };
    ASSERT_TRUE(b.UploadAll());
    EXPECT_EQ(b.browser.Table()[0].length, 4);
    EXPECT_EQ(b.browser.Table()[0].value, 0x44332211u);
    EXPECT_EQ(b.browser.Table()[1].length, 1);
    EXPECT_EQ(b.browser.Table()[1].value, 0x55u);
    EXPECT_EQ(b.browser.Table()[2].valueText, "*** wrong data length ***");
    ASSERT_EQ(node.requests.size(), 4u);
    EXPECT_EQ(node.requests[3].data[0], 0x60);  // the segments are still requested

    // A toggle error, then an answer of an unknown kind.
    node.requests.clear();
    node.answers = {
        {0x41, 0x00, 0x20, 0x00, 0x0E, 0x00, 0x00, 0x00},
        {0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g'},
        {0x00, 'h', 'i', 'j', 'k', 'l', 'm', 'n'},  // toggle should be set
        {0x22, 0x01, 0x20, 0x00, 0, 0, 0, 0},
        {0x80, 0x02, 0x20, 0x00, 0x00, 0x00, 0x02, 0x06},
    };
    ASSERT_TRUE(b.UploadAll());
    EXPECT_EQ(b.browser.Table()[0].valueText, "Err_Togglebit");
    EXPECT_EQ(b.browser.Table()[1].valueText, "*** read error ***");
    EXPECT_EQ(b.browser.Table()[2].abortCode, 0x06020000u);
    EXPECT_EQ(node.requests[2].data[0], 0x70);
    EXPECT_EQ(node.requests[3].data, (std::array<uint8_t, 8>{0x80, 0x00, 0x20, 0x00, 0x00, 0x00, 0x03, 0x05}));
    EXPECT_TRUE(b.op.messages.empty());
}
