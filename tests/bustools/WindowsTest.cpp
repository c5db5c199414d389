// The trace and bus test windows offscreen, driven by their controls' names.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <map>

#include "BusToolsFixture.h"
#include "LanguageRows.h"
#include "TFormTrace.h"
#include "TformBusTest.h"

namespace {
template <class T>
T* Control(QObject* window, const std::string& name) {
    return qobject_cast<T*>(FindControl(window, name));
}

void SetText(QObject* w, const std::string& name, const QString& text) {
    auto* e = Control<QLineEdit>(w, name);
    ASSERT_TRUE(e) << name;
    e->setText(text);
}

void Click(QObject* w, const std::string& name) {
    auto* b = Control<QPushButton>(w, name);
    ASSERT_TRUE(b) << name;
    b->click();
}

// A generator node that answers expedited SDO from a table (node 3).
class ScriptedGenerator {
public:
    explicit ScriptedGenerator(VirtualBus& bus) : ep_(bus.CreateEndpoint("generator")) {
        ep_->SetHandler([this](const BusFrame& f) {
            if (f.id != 0x603 || silent) return;
            const uint16_t index = static_cast<uint16_t>(f.data[1] | (f.data[2] << 8));
            const uint8_t sub = f.data[3];
            BusFrame a;
            a.id = 0x583;
            a.len = 8;
            a.data = f.data;
            if (f.data[0] == 0x40) {
                const auto it = values.find({index, sub});
                const uint32_t v = it == values.end() ? 0 : it->second;
                const int size = sub == 1 || sub == 12 || index == 0x301A ? 2 : 1;
                a.data[0] = static_cast<uint8_t>(0x43 | ((4 - size) << 2));
                for (int i = 0; i < 4; ++i) a.data[4 + i] = static_cast<uint8_t>(v >> (8 * i));
            } else {
                uint32_t v = 0;
                for (int i = 3; i >= 0; --i) v = (v << 8) | f.data[4 + i];
                values[{index, sub}] = v;
                writes.push_back({index, sub, v, f.data[0]});
                a.data = {0x60, f.data[1], f.data[2], sub, 0, 0, 0, 0};
            }
            ep_->Send(a);
        });
        ep_->Open(0);
    }
    struct Write {
        uint16_t index;
        uint8_t sub;
        uint32_t value;
        uint8_t command;
    };
    std::map<std::pair<uint16_t, uint8_t>, uint32_t> values;
    std::vector<Write> writes;
    bool silent = false;

private:
    std::shared_ptr<VirtualEndpoint> ep_;
};

class WindowsTest : public BusToolsFixture {};
}  // namespace

TEST_F(WindowsTest, TraceWindowShowsFramesWithTheirServices) {
    TFormTrace form(h.Operator());
    form.Present();
    EXPECT_EQ(form.windowTitle(), "Trace");
    EXPECT_EQ(Control<QPushButton>(&form, "btnSend")->text(), "Send");
    EXPECT_EQ(Control<QPushButton>(&form, "btnPreOp")->text(), "Pre-operational");
    EXPECT_EQ(Control<QCheckBox>(&form, "cbDeltaTime")->text(), "Relative time stamp");
    QObject* timer1 = form.findChild<QObject*>("Timer1");
    ASSERT_TRUE(timer1);
    EXPECT_FALSE(timer1->property("active").toBool());

    Click(&form, "btnStart");
    EXPECT_EQ(Control<QStatusBar>(&form, "stbStatus")->currentMessage(), "TRACE active");
    EXPECT_TRUE(timer1->property("active").toBool());
    EXPECT_EQ(timer1->property("interval").toInt(), 10);
    Put(0x605, {0x40, 0x18, 0x10, 0x01, 0, 0, 0, 0});
    Put(0x000, {0x81, 0x00});
    AdvanceMs(10);
    QAbstractItemModel* model = Control<QTableView>(&form, "Memo1")->model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, 0).data().toString(), "00:00:000      0  ID:605  LEN:8  40 18 10 01 00 00 00 00 ");
    EXPECT_EQ(model->index(0, 1).data().toString(), "SDO request node 5: upload 0x1018:01");
    EXPECT_EQ(model->index(1, 1).data().toString(), "NMT reset node all nodes");

    SetText(&form, "edId", "7FF");
    SetText(&form, "edDLC", "1");
    SetText(&form, "edB0", "5a");
    Click(&form, "btnSend");
    ASSERT_EQ(model->rowCount(), 3);
    ASSERT_EQ(PeerFrames().size(), 1u);
    SetText(&form, "edId", "800");
    Click(&form, "btnSend");
    EXPECT_EQ(h.Operator().Messages(), std::vector<std::string>{"SEND: wrong Identifier"});

    Click(&form, "btnStop");
    EXPECT_EQ(Control<QStatusBar>(&form, "stbStatus")->currentMessage(), "TRACE stopped");
    form.close();
    EXPECT_EQ(AppConfiguration().Value("[TRACE_SENDEN]"), "800, 1,5a,  ,  ,  ,  ,  ,  ,  ");
}

TEST_F(WindowsTest, BusTestWindowRunsTheCycleAndTheGeneratorPanel) {
    TformBusTest form(h.Operator());
    form.Present();
    EXPECT_EQ(form.windowTitle(), "BUSTEST");
    ScriptedGenerator generator(h.Bus());
    generator.values[{0x3001, 3}] = 1;
    generator.values[{0x3001, 1}] = 0x181;
    generator.values[{0x3000, 0}] = 1;
    generator.values[{0x3018, 0}] = 2;
    CanOpen();

    SetText(&form, "edNodeId", "12a");
    Click(&form, "btnTGStart");
    EXPECT_EQ(h.Operator().Messages(), std::vector<std::string>{"Bustest: Please enter a valid Node-ID"});
    h.Operator().calls.clear();

    SetText(&form, "edNodeId", "3");
    Click(&form, "btnUpload");
    EXPECT_TRUE(h.Operator().Messages().empty());
    auto* grid = Control<QTableWidget>(&form, "strgrMsgs");
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->item(1, 3)->text(), "x");
    EXPECT_EQ(grid->item(1, 1)->text(), "0x0181");
    EXPECT_EQ(grid->item(2, 3)->text(), "");
    EXPECT_EQ(grid->item(1, 4)->text(), "0x00");
    EXPECT_EQ(Control<QLineEdit>(&form, "edTGNumMsg")->text(), "0x01");
    EXPECT_TRUE(Control<QRadioButton>(&form, "rbTGMode2")->isChecked());

    // Download: the receive entry's identifier goes bit-stuffed when its flag column holds 1.
    auto* gridIn = Control<QTableWidget>(&form, "strgrMsgsIn");
    gridIn->item(1, 1)->setText("0x000");
    gridIn->item(1, 13)->setText("1");
    grid->item(2, 3)->setText("X");
    generator.writes.clear();
    Click(&form, "updDownload");
    EXPECT_TRUE(h.Operator().Messages().empty());
    ASSERT_EQ(generator.writes.size(), 10u * 13 + 2 * 13 + 3 + 1);
    EXPECT_EQ(generator.values[(std::pair<uint16_t, uint8_t>{0x3011, 1})], 0x0410u);
    EXPECT_EQ(generator.values[(std::pair<uint16_t, uint8_t>{0x3002, 3})], 1u);
    EXPECT_EQ(generator.writes[0].command, 0x2B);  // identifier: two bytes
    EXPECT_EQ(generator.writes[1].command, 0x2F);
    EXPECT_EQ(generator.writes.back().index, 0x3018);
    EXPECT_EQ(generator.writes.back().value, 2u);

    Click(&form, "btnTGStart");
    EXPECT_EQ(generator.writes.back().index, 0x301B);
    EXPECT_EQ(generator.writes.back().value, 1u);
    generator.silent = true;
    Click(&form, "btnTGStop");
    EXPECT_EQ(h.Operator().Messages(), std::vector<std::string>{"Timeout: Test generator not responding"});
    h.Operator().calls.clear();
    for (auto* rb : form.findChildren<QRadioButton*>()) {
        rb->setAutoExclusive(false);
        rb->setChecked(false);
    }
    generator.silent = false;
    Click(&form, "updDownload");
    EXPECT_EQ(h.Operator().Messages(), std::vector<std::string>{"Bus test: Error operating mode"});

    // The cycle: the generator answers nothing on 0x123, so the first answer window stops it.
    SetText(&form, "edId", "123");
    SetText(&form, "edDLC", "0");
    SetText(&form, "edIdRec", "321");
    SetText(&form, "edDLCRec", "0");
    SetText(&form, "edCycTim", "20");
    SetText(&form, "edAnsTim", "10");
    Click(&form, "btnStart");
    AdvanceMs(20);
    Put(0x222, {1});
    AdvanceMs(10);
    EXPECT_EQ(Control<QStatusBar>(&form, "stbStatus")->currentMessage(), "BUSTEST active  Cycle stopped");
    auto* memo = Control<QListWidget>(&form, "Memo1");
    ASSERT_EQ(memo->count(), 1);
    EXPECT_EQ(memo->item(0)->text(), "     0  ID:222  LEN:1  01 ");
    form.close();
    EXPECT_EQ(AppConfiguration().Value("[BUS_ZYKLUSZEIT]"), "20");
}
