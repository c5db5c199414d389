// Interactive node control against the simulated encoder: parameter editors, single commands
// of the menus and buttons, the searches and the connect sequence, in virtual time.

#include <gtest/gtest.h>

#include <deque>

#include "EditFieldChecks.h"
#include "NodeControl.h"
#include "StationActions.h"
#include "StationHarness.h"

namespace {

// Answers the edit dialog from a queue (nullopt: cancel) and records messages and captions.
class EditingOperator final : public OperatorPort {
public:
    explicit EditingOperator(OperatorPort& previous) : previous_(previous) { SetOperatorPort(this); }
    ~EditingOperator() override { SetOperatorPort(&previous_); }

    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> captions, initials, messages;

    bool EditFields(EditFieldSet& fields) override {
        captions.push_back(fields[0].caption);
        initials.push_back(fields[0].text);
        if (answers.empty() || !answers.front()) {
            if (!answers.empty()) answers.pop_front();
            return false;
        }
        std::array<std::string, 6> texts{};
        for (size_t k = 0; k < fields.size(); ++k) texts[k] = fields[k].text;
        texts[0] = *answers.front();
        answers.pop_front();
        return !AcceptEditFields(fields, texts).has_value();
    }
    void ShowMessage(const std::string& text, const std::string& title) override { messages.push_back(title + ": " + text); }
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
    std::optional<std::string> AskValue(const std::string&, const std::string&, const std::string&) override { return {}; }
    void ShowNotice(const std::string&, const std::string&) override {}
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&, const std::string&) override {
        return {};
    }

private:
    OperatorPort& previous_;
};

EncoderOptions Encoder(uint8_t node, int kbit, bool turning = false) {
    EncoderOptions o;
    o.nodeId = node;
    o.kbit = kbit;
    if (turning) o.milliRpm = 1000;
    return o;
}

class NodeControlTest : public ::testing::Test {
protected:
    void Make(StationHarness& h, uint64_t node = 1, uint64_t baudr = 2) {
        ScriptVariables().Set("NodeId", node);
        ScriptVariables().Set("Baudr", baudr);
        ScriptVariables().Set("Timer", 10);
        ScriptVariables().Set("TimerLong", 2000);
        ScriptVariables().Set("GuardId", 0x701);
        search_ = std::make_unique<BaudNodeSearch>();
        control_ = std::make_unique<NodeControl>(h.Runner(), *search_);
        op_ = std::make_unique<EditingOperator>(h.Operator());
    }
    void TearDown() override {
        op_.reset();
        control_.reset();
        search_.reset();
    }
    // Lets the runner finish the single command.
    void Settle(StationHarness& h) { h.Time().AdvanceByMs(5000); }

    std::unique_ptr<BaudNodeSearch> search_;
    std::unique_ptr<NodeControl> control_;
    std::unique_ptr<EditingOperator> op_;
};

TEST_F(NodeControlTest, SaveNodeIdStoresTheManufacturerGroupWithItsSignature) {
    StationHarness h(Encoder(1, 500));
    Make(h);
    ASSERT_TRUE(control_->Handle("btnSaveNodeId"));
    EXPECT_EQ(h.Runner().IntervalMs(), 2000) << "store commands run at TimerLong";
    Settle(h);

    ASSERT_FALSE(h.StationFrames().empty());
    const SeenFrame& f = h.StationFrames().front();
    EXPECT_EQ(f.id, 0x601u);
    EXPECT_EQ(f.data, (std::vector<uint8_t>{0x23, 0x10, 0x10, 0x04, 0x73, 0x61, 0x76, 0x65}));
    EXPECT_EQ(h.Rows().front()[COL_COMMAND].substr(0, 11), "SDO_DownIni");
    EXPECT_EQ(h.ErrorCount(), 0);
    EXPECT_FALSE(h.Runner().TimerActive());
}

TEST_F(NodeControlTest, StoreAndRestoreEntriesUseTheirSubIndexAndSignature) {
    StationHarness h(Encoder(1, 500));
    Make(h);
    const std::vector<std::pair<std::string, std::array<uint8_t, 3>>> cases = {
        {"mnuSaveAll", {0x10, 0x01, 's'}}, {"mnuSaveCom", {0x10, 0x02, 's'}}, {"mnuSave3xxx", {0x10, 0x05, 's'}},
        {"btnLoad", {0x11, 0x01, 'l'}},    {"mnuLoadApp", {0x11, 0x03, 'l'}}, {"btnLoadNodeId", {0x11, 0x04, 'l'}}};
    for (const auto& [name, expect] : cases) {
        const size_t before = h.StationFrames().size();
        ASSERT_TRUE(control_->Handle(name)) << name;
        Settle(h);
        ASSERT_GT(h.StationFrames().size(), before) << name;
        const SeenFrame& f = h.StationFrames()[before];
        EXPECT_EQ(f.data[0], 0x23) << name;
        EXPECT_EQ(f.data[1], expect[0]) << name;
        EXPECT_EQ(f.data[2], 0x10) << name;
        EXPECT_EQ(f.data[3], expect[1]) << name;
        EXPECT_EQ(f.data[4], expect[2]) << name;
    }
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST_F(NodeControlTest, NmtButtonsAddressTheNodeAndFollowTheTimer) {
    StationHarness h(Encoder(7, 500));
    Make(h, 7);
    ASSERT_TRUE(control_->Handle("btnStartNode"));
    EXPECT_EQ(h.Runner().IntervalMs(), 10);
    Settle(h);
    EXPECT_EQ(h.Device().State(), NmtState::Operational);
    ASSERT_TRUE(control_->Handle("mnuStopNode"));
    Settle(h);
    EXPECT_EQ(h.Device().State(), NmtState::Stopped);
    ASSERT_TRUE(control_->Handle("btnPreOp"));
    Settle(h);
    EXPECT_EQ(h.Device().State(), NmtState::PreOperational);
    for (const auto& f : h.StationFrames()) {
        ASSERT_EQ(f.id, 0u);
        EXPECT_EQ(f.data[1], 7);
    }
}

TEST_F(NodeControlTest, BitRateOutsideTheTableIsRefused) {
    StationHarness h(Encoder(1, 500));
    Make(h, 1, 2);
    op_->answers = {std::string("300"), std::string("125"), std::nullopt};
    EXPECT_FALSE(control_->Handle("mnuSetBaud"));
    EXPECT_EQ(op_->messages, std::vector<std::string>{"SET BAUDRATE: Baud rate is not defined"});
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 2u);
    EXPECT_EQ(op_->initials.front(), "500") << "the dialog shows kbit/s";
    EXPECT_EQ(op_->captions.front(), "Baud rate (Baudr)");

    EXPECT_TRUE(control_->Handle("mnuSetBaud"));
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 4u);
    EXPECT_FALSE(control_->Handle("mnuSetBaud")) << "cancelled";
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 4u);

    EXPECT_TRUE(control_->Handle("btnBRate20k"));
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 7u);
    EXPECT_FALSE(control_->SetBitRate(0));
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 7u);
}

TEST_F(NodeControlTest, NodeAddressOutsideTheRangeLeavesNodeId) {
    StationHarness h(Encoder(1, 500));
    Make(h, 9);
    op_->answers = {std::string("128"), std::string("0x7F")};
    EXPECT_FALSE(control_->Handle("mnuNodeId"));
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 9u);
    EXPECT_TRUE(op_->messages.empty()) << "ignored silently";
    EXPECT_TRUE(control_->Handle("mnuNodeId"));
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 127u);
    EXPECT_EQ(op_->initials, (std::vector<std::string>{"9", "9"}));
    EXPECT_FALSE(control_->SetNodeId(-1));
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 127u);
}

TEST_F(NodeControlTest, ParameterEditorsShowAndStoreTheirVariables) {
    StationHarness h(Encoder(1, 500));
    Make(h);
    ScriptVariables().Set("Pdo1Id", 0x181);
    ScriptVariables().Set("SerialNr", 1234);
    op_->answers = {std::string("0x1A1"), std::string("77"), std::nullopt, std::string("250")};
    EXPECT_TRUE(control_->Handle("mnuPdo1Id"));
    EXPECT_TRUE(control_->Handle("mnuSerialNr"));
    EXPECT_FALSE(control_->Handle("mnuEmcId"));
    EXPECT_TRUE(control_->Handle("mnuTimerLong"));
    EXPECT_EQ(op_->captions, (std::vector<std::string>{"Identifier PDO 1 (Pdo1Id)", "Serial number (SerialNr)",
                                                       "Identifier Emergency Message (EMCId)", "Timer Lang"}));
    EXPECT_EQ(op_->initials[0], "0x181");
    EXPECT_EQ(op_->initials[1], "1234");
    EXPECT_EQ(ScriptVariables().Get("Pdo1Id"), 0x1A1u);
    EXPECT_EQ(ScriptVariables().Get("SerialNr"), 77u);
    EXPECT_FALSE(ScriptVariables().Find("EMCId").has_value()) << "cancel changes nothing";
    EXPECT_EQ(ScriptVariables().Get("TimerLong"), 250u);
}

TEST_F(NodeControlTest, LssDialogsSendTheEnteredTextAndCancelSendsNothing) {
    StationHarness h(Encoder(1, 500));
    Make(h);
    op_->answers = {std::nullopt, std::string("5")};
    EXPECT_FALSE(control_->Handle("mnuLssConfNodeId"));
    Settle(h);
    EXPECT_TRUE(h.StationFrames().empty());
    EXPECT_EQ(op_->captions.front(), "Node address");
    EXPECT_TRUE(control_->Handle("mnuLssConfTiming"));
    EXPECT_EQ(op_->captions.back(), "Baud rate index");
    EXPECT_EQ(op_->initials.back(), "2");
    Settle(h);
    ASSERT_FALSE(h.StationFrames().empty());
    EXPECT_EQ(h.StationFrames().front().id, 0x7E5u);
    EXPECT_EQ(h.StationFrames().front().data[0], 0x13);
}

TEST_F(NodeControlTest, ASecondCommandWaitsForThePendingOne) {
    StationHarness h({}, false);  // nobody answers: the store waits TimerLong
    Make(h);
    ASSERT_TRUE(control_->Handle("btnSaveAll"));
    h.Time().AdvanceByMs(50);
    ASSERT_TRUE(CurrentRun().pendingStep != nullptr);
    EXPECT_FALSE(control_->Handle("btnStartNode"));
    EXPECT_EQ(op_->messages.size(), 1u);
    EXPECT_EQ(h.StationFrames().size(), 1u);
    Settle(h);
    EXPECT_TRUE(control_->Handle("btnStartNode")) << "once the first has timed out";
}

TEST_F(NodeControlTest, SingleCommandsAreRefusedWhileATestRuns) {
    StationHarness h(Encoder(1, 500));
    ASSERT_TRUE(h.Load("Baudrate: 500 kBit\nKnotenadresse: 1\nVendorID: 0x000003A2\nProduktcode: 0x5813\n"
                       "Revisionsnummer: 0x00010002\nSeriennummer: 0x12345678\nEmergencyID: 0x81\n"
                       "GuardingId: 0x701\nPDO1_ID: 0x181\nPDO2_ID: 0x281\nSyncId: 0x80\nTimer: 10\n\n[BEFEHLE]\n"
                       "[B]\nB:NMT_Start,N:1\n[B]\nB:NMT_PreOp,N:1\n[B]\nB:NMT_Start,N:1\n"));
    Make(h);
    ASSERT_TRUE(h.Runner().StartTest());
    h.Time().AdvanceByMs(30);
    ASSERT_TRUE(h.Runner().TimerActive() && !h.Runner().finished);
    EXPECT_FALSE(control_->Handle("mnuResetNode"));
    EXPECT_EQ(op_->messages.size(), 1u);
}

TEST_F(NodeControlTest, ConnectFindsRateAndNodeOfAnUnknownDevice) {
    StationHarness h(Encoder(5, 125, true));
    Make(h, 1, 2);
    control_->Handle("btnNodeConnect");
    EXPECT_EQ(control_->StatusText(), "Searching for slave");
    ASSERT_TRUE(h.Time().RunUntil([this] { return !control_->ProcessTimer().IsActive(); },
                                  h.Time().NowUs() + 120'000'000ull));
    EXPECT_EQ(control_->StatusText(), "Node is active");
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 4u);
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 5u);
    EXPECT_EQ(control_->ConnectStep(), 0);
}

TEST_F(NodeControlTest, ConnectWithoutDeviceReportsSlaveNotActive) {
    StationHarness h({}, false);
    Make(h, 1, 2);
    control_->Handle("btnNodeConnect");
    ASSERT_TRUE(h.Time().RunUntil([this] { return !control_->ProcessTimer().IsActive(); },
                                  h.Time().NowUs() + 120'000'000ull));
    EXPECT_EQ(control_->StatusText(), "Slave is not active");
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 2u);
    EXPECT_FALSE(control_->SearchBusy());
}

TEST_F(NodeControlTest, NodeSearchButtonAppliesTheFoundNode) {
    StationHarness h(Encoder(12, 500));
    Make(h, 1, 2);
    control_->Handle("btnSearchNode");
    EXPECT_TRUE(control_->SearchBusy());
    EXPECT_EQ(control_->StatusText(), "Search node");
    ASSERT_TRUE(h.Time().RunUntil([this] { return !control_->SearchBusy(); }, h.Time().NowUs() + 60'000'000ull));
    EXPECT_EQ(control_->StatusText(), "Node found");
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 12u);
}

TEST_F(NodeControlTest, EveryControlIsRegisteredAndHandled) {
    StationHarness h(Encoder(1, 500));
    Make(h);
    RegisterNodeControlActions(*control_);
    for (const std::string& name : NodeControl::ControlNames()) EXPECT_NE(FindStationAction(name), nullptr) << name;
    EXPECT_FALSE(control_->Handle("mnuNoSuchEntry"));
    UnregisterNodeControlActions();
    EXPECT_EQ(FindStationAction("btnSaveNodeId"), nullptr);
}

}  // namespace
