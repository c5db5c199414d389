// The object tool windows offscreen, driven by their controls' names, against the simulated
// encoder in virtual time.

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include "ObjectsLanguageTables.h"
#include "ObjectsTestSupport.h"
#include "StationHarness.h"
#include "TformCanParMem.h"
#include "TformEdsCompare.h"
#include "TformObjects.h"

namespace {
const std::string kEncoderEds = std::string(QUARZEL_EXAMPLES_DIR) + "/qz-encoder-5813.eds";

template <class T>
T* Find(QObject* window, const char* name) {
    T* control = window->findChild<T*>(name);
    EXPECT_TRUE(control) << name;
    return control;
}

struct WindowBench {
    WindowBench() {
        ScriptVariables().Set("NodeId", 1);
        ScriptVariables().Set("Timer", 1);
        ScriptVariables().Set("Baudr", 2);
        CanOpen();
        RegisterObjectsLanguageTables();
    }
    bool RunWhile(const std::function<bool()>& busy) {
        return h.Time().RunUntil([&] { return !busy(); }, h.Time().NowUs() + 120'000'000);
    }
    StationHarness h;
    EditingOperator op;
};

int RowOf(TformObjects& w, uint32_t index, uint32_t sub) {
    const auto& t = w.Browser().Table();
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i].index == index && t[i].subindex == sub) return static_cast<int>(i + 1);
    return 0;
}
}  // namespace

TEST(ObjectsWindow, BrowserWindowLoadsUploadsReadsExportsAndCompares) {
    WindowBench b;
    TformObjects w(b.op);
    w.Present();
    // English texts.
    EXPECT_EQ(w.windowTitle(), "Load objects");
    EXPECT_EQ(Find<QPushButton>(&w, "btnLesen")->text(), "&Read");
    EXPECT_EQ(Find<QPushButton>(&w, "btnSchreiben")->text(), "&Write");
    EXPECT_EQ(Find<QPushButton>(&w, "btnBeenden")->text(), "&Close");
    EXPECT_EQ(Find<QPushButton>(&w, "btnExport")->toolTip(), "Export objects to a .csv file.");
    EXPECT_EQ(Find<QAction>(&w, "mnuLoadEds")->text(), "Load EDS file");
    EXPECT_EQ(Find<QLabel>(&w, "labStatus")->text(), "No EDS file loaded");

    b.op.files.push_back(kEncoderEds);
    Find<QAction>(&w, "mnuLoadEds")->trigger();
    auto* grid = Find<QTableView>(&w, "strgrObjects");
    ASSERT_EQ(grid->model()->rowCount(), static_cast<int>(w.Browser().Table().size()));
    EXPECT_EQ(grid->model()->headerData(6, Qt::Horizontal).toString(), "Value hex");
    EXPECT_EQ(Find<QLabel>(&w, "labStatus")->text().toStdString(), kEncoderEds);
    EXPECT_EQ(Find<QAction>(&w, "mnuEDSFile1")->text().toStdString(), kEncoderEds);

    Find<QPushButton>(&w, "btnUpload")->click();
    EXPECT_TRUE(Find<QObject>(&w, "timTimer")->property("active").toBool());
    EXPECT_TRUE(Find<QPushButton>(&w, "btnCancel")->isEnabled());
    ASSERT_TRUE(b.RunWhile([&] { return w.Browser().UploadRunning(); }));
    auto* progress = Find<QProgressBar>(&w, "pbUpload");
    EXPECT_EQ(progress->value(), progress->maximum());
    const int device = RowOf(w, 0x1000, 0);
    EXPECT_EQ(grid->model()->index(device - 1, 6).data().toString(), "0x00020196");
    EXPECT_TRUE(b.op.messages.empty());

    // Read the selected row: the device's heartbeat time after a write through the dialog.
    w.SelectGridRow(RowOf(w, 0x1017, 0));
    b.op.edits.push_back({250, 2});
    Find<QPushButton>(&w, "btnSchreiben")->click();
    b.h.Time().AdvanceByMs(20);
    Find<QPushButton>(&w, "btnLesen")->click();
    b.h.Time().AdvanceByMs(20);
    EXPECT_EQ(grid->model()->index(RowOf(w, 0x1017, 0) - 1, 5).data().toString(), "250");
    EXPECT_EQ(w.SelectedGridRow(), RowOf(w, 0x1017, 0));

    // Export: the grid as CSV, the title row first.
    const std::string csv = b.h.Folder() + "/objects.csv";
    b.h.Operator().fileAnswers.push_back(csv);  // the grid export asks the station's operator
    Find<QPushButton>(&w, "btnExport")->click();
    QFile file(QString::fromStdString(csv));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("\"No.\";\"Name\";\"Index\";\"Sub\";\"Len\";")) << text.left(80).toStdString();
    EXPECT_TRUE(text.contains("\"Devicetype\";\"1000\";\"\";\"4\";\"131478\";\"0x00020196\""));

    // The comparison view on the loaded EDS: the heartbeat time written above differs.
    Find<QPushButton>(&w, "btnCompare")->click();
    TformEdsCompare& compare = w.CompareWindow();
    EXPECT_TRUE(compare.isVisible());
    ASSERT_TRUE(b.RunWhile([&] { return compare.Comparison().Running(); }));
    EXPECT_EQ(compare.VerdictText(), "1 difference");
    auto* list = Find<QTableWidget>(&compare, "lvDifferences");
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->item(0, 0)->text(), "value differs");
    EXPECT_EQ(list->item(0, 1)->text(), "1017sub0");
    EXPECT_EQ(list->item(0, 4)->text(), "0x00FA");
    EXPECT_TRUE(Find<QLabel>(&compare, "labVerdict")->text().endsWith("1 difference"));
}

TEST(ObjectsWindow, ParameterMemoryWindowShowsTheMap) {
    WindowBench b;
    const std::string path = b.h.WriteFile(
        "Memory.dat",
        "[FLASH]\r\n[KOMMUNIKATION]\r\nStart: 0x0100\r\n[PARAMETER]\r\nNodeId,long\r\nBaud,char\r\nGuard,int\r\nEnde\r\n"
        "[SENSOR]\r\nStart: 0x200\r\n[PARAMETER]\r\nEnde\r\n[EEPROM]\r\n[KOMMUNIKATION]\r\nStart: 0\r\n[PARAMETER]\r\n"
        "Ende\r\n[SENSOR]\r\nStart: 0x10\r\n[PARAMETER]\r\nSerial,long\r\nEnde\r\n");
    TformCanParMem w(b.op);
    w.Memory().SetDefaultPath(path);
    w.Present();
    EXPECT_EQ(w.windowTitle(), "Parameter memory");
    EXPECT_EQ(Find<QGroupBox>(&w, "gbFlash")->title(), "FLASH area");
    EXPECT_EQ(Find<QGroupBox>(&w, "gbEeprom")->title(), "EEPROM area");
    auto* flash = Find<QTableWidget>(&w, "sgFlashKomm");
    ASSERT_EQ(flash->rowCount(), 3);
    EXPECT_EQ(flash->item(1, 0)->text(), "0x0104");
    EXPECT_EQ(flash->horizontalHeaderItem(0)->text(), "Address");
    EXPECT_EQ(Find<QLabel>(&w, "labFlashKomm")->text(), "Start 0x0100  End 0x0106  Size 7  Blocks 0");
    EXPECT_FALSE(Find<QPushButton>(&w, "btnReadFlashKomm")->isEnabled());
    // Once the bootloader's read is installed, the values appear.
    RegisterParameterMemoryOperations([](ParameterMemory& m, MemoryAreaKind a) { m.SetAreaBytes(a, {1, 0, 0, 0, 2}); },
                                      nullptr);
    w.Present();
    ASSERT_TRUE(Find<QPushButton>(&w, "btnReadFlashKomm")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(&w, "btnClearFlashKomm")->isEnabled());
    Find<QPushButton>(&w, "btnReadFlashKomm")->click();
    EXPECT_EQ(flash->item(1, 3)->text(), "0x02");
    RegisterParameterMemoryOperations(nullptr, nullptr);
    EXPECT_TRUE(b.op.messages.empty());
}
