#include "MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {
QMenu* Menu(QWidget* parent, const char* name, const char* caption) {
    auto* menu = new QMenu(QString::fromUtf8(caption), parent);
    menu->setObjectName(name);
    return menu;
}

QMenu* SubMenu(QMenu* parent, const char* name, const char* caption) {
    QMenu* menu = Menu(parent, name, caption);
    parent->addMenu(menu);
    return menu;
}

QAction* Entry(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(name);
    return action;
}

// A menu bar entry that acts by itself (opens a window).
QAction* BarEntry(QMenuBar* bar, const char* name, const char* caption) {
    QAction* action = bar->addAction(QString::fromUtf8(caption));
    action->setObjectName(name);
    action->setParent(bar);
    return action;
}
}  // namespace

void BuildMainMenu(QMenuBar* bar) {
    QMenu* file = Menu(bar, "mnuFile", "&Datei");
    bar->addMenu(file);
    Entry(file, "mnuLoadTest", "&Testdatei laden");
    file->addSeparator();
    for (int k = 1; k <= kHistoryMenuEntries; ++k) {
        QAction* entry = file->addAction(QString::number(k) + ": ");
        entry->setObjectName(QString("mnuTestDat%1").arg(k));
        entry->setVisible(false);
    }
    file->addSeparator();
    Entry(file, "mnuExit", "&Beenden");

    QMenu* can = Menu(bar, "mnuCan", "&CAN");
    bar->addMenu(can);
    Entry(can, "mnuCanEnable", "&Aktivieren");
    Entry(can, "mnuCanClose", "Kanal &schliessen");
    can->addSeparator();
    Entry(can, "mnuSetBaud", "Baudrate &einstellen");
    Entry(can, "mnuSearchBaud", "Baudrate &suchen");
    Entry(can, "mnuTimerStd", "&Timer Standard");
    Entry(can, "mnuTimerLong", "Timer &Lang");
    can->addSeparator();
    Entry(can, "mnuCanReset", "&Reset");
    QMenu* hardware = SubMenu(can, "mnuHardware", "Hardware");
    QAction* first = Entry(hardware, "mnuHardwareChannels", "Available CAN channels:");
    first->setEnabled(false);

    QMenu* commands = Menu(bar, "mnuCommands", "&Befehle");
    bar->addMenu(commands);
    Entry(commands, "mnuStartNode", "Start Node");
    Entry(commands, "mnuPreOp", "PreOperational");
    Entry(commands, "mnuStopNode", "Stop Node");
    Entry(commands, "mnuResetNode", "Reset Node");
    Entry(commands, "mnuResetCom", "Reset Communication");
    commands->addSeparator();
    Entry(commands, "mnuPdo1", "PDO1");
    Entry(commands, "mnuPdo2", "PDO2");
    Entry(commands, "mnuPdo3", "PDO3");
    Entry(commands, "mnuSync", "Sync");
    Entry(commands, "mnuGuard", "Guard");
    commands->addSeparator();
    QMenu* lss = SubMenu(commands, "mnuLss", "LSS");
    Entry(lss, "mnuLssGlobalOperate", "LSS Switch Global Operate");
    Entry(lss, "mnuLssGlobalConfig", "LSS Switch Global Config");
    Entry(lss, "mnuLssSelect", "LSS Switch Selectiv");
    Entry(lss, "mnuLssConfNodeId", "LSS Config Node Id");
    Entry(lss, "mnuLssConfTiming", "LSS Config Bit Timing");
    Entry(lss, "mnuLssStore", "LSS Save Config");
    Entry(lss, "mnuLssIdentRemote", "LSS Ident Remote Slave");
    Entry(lss, "mnuLssIdentNonConf", "LSS Ident Non Config Slave");
    Entry(lss, "mnuLssQueryNodeId", "LSS Query Node Id");
    Entry(lss, "mnuLssQueryVendorId", "LSS Query Vendor Id");
    Entry(lss, "mnuLssQueryProdCode", "LSS Query Product Id");
    Entry(lss, "mnuLssQueryRevNr", "LSS Query Revisions Nr.");
    Entry(lss, "mnuLssQuerySerialNr", "LSS Query Serial Nr.");
    commands->addSeparator();
    Entry(commands, "mnuSdoUpload", "SDO Upload");
    Entry(commands, "mnuSdoDownload", "SDO Download");
    commands->addSeparator();
    QMenu* save = SubMenu(commands, "mnuSave", "Save");
    Entry(save, "mnuSaveAll", "All");
    Entry(save, "mnuSaveCom", "Communication");
    Entry(save, "mnuSaveApp", "Application");
    Entry(save, "mnuSave2xxx", "Manfacturer 0x2xxx");
    Entry(save, "mnuSave3xxx", "Manfacturer 0x3xxx");
    QMenu* load = SubMenu(commands, "mnuLoadDefault", "Load Default");
    Entry(load, "mnuLoadAll", "All");
    Entry(load, "mnuLoadCom", "Communication");
    Entry(load, "mnuLoadApp", "Application");
    Entry(load, "mnuLoad2xxx", "Manfacturer 0x2xxx");
    Entry(load, "mnuLoad3xxx", "Manfacturer 0x3xxx");

    BarEntry(bar, "mnuObjects", "&Objekte");

    QMenu* parameters = Menu(bar, "mnuParameters", "&Parameter");
    bar->addMenu(parameters);
    Entry(parameters, "mnuNodeId", "Knotenadresse");
    Entry(parameters, "mnuSearchNode", "Knoten suchen");
    Entry(parameters, "mnuSearchNodeGuard", "Knoten suchen bei Guarding");
    Entry(parameters, "mnuLoadParams", "Parameter laden");
    Entry(parameters, "mnuParMem", "Parameterspeicher");
    parameters->addSeparator();
    Entry(parameters, "mnuSerialNr", "Seriennummer");
    Entry(parameters, "mnuProdCode", "Produkt Code");
    Entry(parameters, "mnuRevNr", "Revisionsnummer");
    Entry(parameters, "mnuVendorId", "Vendor Id");
    Entry(parameters, "mnuSyncId", "Sync Identifier");
    Entry(parameters, "mnuGuardId", "Guard Identifier");
    Entry(parameters, "mnuEmcId", "Emergency Identifier");
    Entry(parameters, "mnuPdo1Id", "PDO1");
    Entry(parameters, "mnuPdo2Id", "PDO2");
    Entry(parameters, "mnuSrdo1Id", "SRDO1");
    Entry(parameters, "mnuSrdo2Id", "SRDO2");
    Entry(parameters, "mnuTotalSteps", "Gesamtschrittzahl");

    BarEntry(bar, "mnuTrace", "&Trace");
    BarEntry(bar, "mnuBusTest", "B&ustest");
    BarEntry(bar, "mnuKontup", "&Kontup");
    BarEntry(bar, "mnuProgramming", "Pro&grammieren");

    QMenu* tools = Menu(bar, "mnuTools", "&Werkzeuge");
    bar->addMenu(tools);
    Entry(tools, "mnuClearHistory", "Dateihistorie loeschen");
    Entry(tools, "mnuResultHistory", "Pruefhistorie");

    QMenu* help = Menu(bar, "mnuHelp", "&Hilfe");
    bar->addMenu(help);
    Entry(help, "mnuHelpContents", "&Hilfe");
    help->addSeparator();
    Entry(help, "mnuAbout", "&Information");
}
