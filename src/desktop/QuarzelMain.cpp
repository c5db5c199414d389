// quarzel: the desktop station.

#include <QApplication>
#include <QTimer>

#include "DesktopBench.h"
#include "NodeControl.h"
#include "PreciseTimer.h"
#include "StandardCanInterfaceKinds.h"
#include "TForm1.h"

#if defined(QUARZEL_HAVE_SIM)
#include "SimulatorKinds.h"
#endif
#if defined(QUARZEL_HAVE_RESULTS)
#include <QStatusBar>

#include "DesktopArchive.h"
#include "NamedValueList.h"
#include "StationActions.h"
#include "TformResultHistory.h"
#endif

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quarzel");
    RegisterStandardCanInterfaceKinds();
#if defined(QUARZEL_HAVE_SIM)
    RegisterSimulatorCanInterfaceKinds();
#endif
    SetTimerFactory([] { return std::make_unique<PreciseTimer>(); });

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);

    int code = 0;
#if defined(QUARZEL_HAVE_RESULTS)
    // Every finished run goes into the result archive; its problems show in the status bar.
    TForm1* mainWindow = nullptr;
    DesktopArchive archive([&mainWindow](const std::string& text) {
        if (mainWindow) mainWindow->statusBar()->showMessage(QString::fromStdString(text), 15000);
    });
    std::unique_ptr<TformResultHistory> history;
    RegisterStationAction("mnuResultHistory", [&history] {
        if (!history) history = std::make_unique<TformResultHistory>([] { return ArchiveTargetFor(AppConfiguration()); });
        uint32_t serial = 0;
        history->ShowSerial(ScriptVariables().Lookup("SerialNr", serial) ? QString::number(serial) : QString());
    });
#endif
    {
        TForm1 form;
#if defined(QUARZEL_HAVE_RESULTS)
        mainWindow = &form;
#endif
        // An automatic run ends the program with its own exit code, without writing quarzel.ini.
        DesktopBench bench([](int exitCode) { QCoreApplication::exit(exitCode); });
        bench.OnCalibration([&form](const CalibrationSettings& c) {
            if (c.supplyVolts && c.supplyCurrent) form.Node().SetSupplySetting(*c.supplyVolts, *c.supplyCurrent);
        });
        const StartUpResult start = form.StartUp(arguments);
        if (!start.proceed) return 0;
#if defined(QUARZEL_HAVE_RESULTS)
        archive.SendQueued();
#endif
        if (start.minimized)
            form.showMinimized();
        else
            form.show();
        if (bench.AutomaticRequested()) QTimer::singleShot(0, &form, [&bench] { bench.BeginAutomatic(); });
        app.exec();
        code = bench.ExitCode(form.ExitCode());
#if defined(QUARZEL_HAVE_RESULTS)
        history.reset();
#endif
    }
    SetTimerFactory(nullptr);
    return code;
}
