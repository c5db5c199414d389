// quarzel-snapshot: the desktop station as a user sees it, for the documentation. Starts the
// station in the current folder (its quarzel.ini), loads a test file as the File menu does,
// presses START, and once the run has ended saves a picture of the main window.
//   quarzel-snapshot TESTFILE PNGFILE [station options ...]

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "LanguageRows.h"
#include "PreciseTimer.h"
#include "StandardCanInterfaceKinds.h"
#include "TForm1.h"
#include "TestFileLoader.h"

#if defined(QUARZEL_HAVE_SIM)
#include "SimulatorKinds.h"
#endif

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: quarzel-snapshot TESTFILE PNGFILE [station options ...]\n");
        return 2;
    }
    QApplication app(argc, argv);
    RegisterStandardCanInterfaceKinds();
#if defined(QUARZEL_HAVE_SIM)
    RegisterSimulatorCanInterfaceKinds();
#endif
    SetTimerFactory([] { return std::make_unique<PreciseTimer>(); });
    const std::string testFile = argv[1];
    const QString png = QString::fromLocal8Bit(argv[2]);
    std::vector<std::string> arguments;
    for (int i = 3; i < argc; ++i) arguments.emplace_back(argv[i]);

    int code = 1;
    {
        TForm1 form;
        if (!form.StartUp(arguments).proceed) return 2;
        form.show();
        if (!OpenTestFile(testFile, true)) {
            std::fprintf(stderr, "quarzel-snapshot: %s could not be loaded\n", testFile.c_str());
            return 2;
        }
        if (auto* start = qobject_cast<QPushButton*>(FindControl(&form, "btnStart"))) start->click();

        QTimer poll;
        int waited = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            waited += 50;
            TestRunner& runner = form.Station().Runner();
            if ((runner.finished && !runner.TimerActive()) || waited > 120000) {
                poll.stop();
                // Let the last rows and the status label paint.
                QTimer::singleShot(300, [&] {
                    code = form.grab().save(png) ? 0 : 1;
                    if (code != 0) std::fprintf(stderr, "quarzel-snapshot: %s could not be written\n", argv[2]);
                    form.close();
                });
            }
        });
        poll.start(50);
        app.exec();
    }
    SetTimerFactory(nullptr);
    return code;
}
