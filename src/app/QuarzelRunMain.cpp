// quarzel-run: runs a test file headless and prints the protocol and the verdict.

#include <QCoreApplication>
#include <QTimer>
#include <iostream>

#include "HeadlessSession.h"
#include "PreciseTimer.h"

#if defined(QUARZEL_HAVE_CAN_DRIVERS)
#include "StandardCanInterfaceKinds.h"
#endif
#if defined(QUARZEL_HAVE_SIM)
#include "SimulatorKinds.h"
#endif
#if defined(QUARZEL_HAVE_OBJECTS)
#include "HeadlessEdsCompare.h"
#endif
#if defined(QUARZEL_HAVE_RESULTS)
#include "StationArchive.h"
#endif

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    HeadlessOptions options;
    std::string error;
    if (!ParseHeadlessOptions(args, options, error)) {
        std::cerr << "quarzel-run: " << error << "\nTry quarzel-run --help\n";
        return EXIT_CANNOT_RUN;
    }
    if (options.help) {
        std::cout << HeadlessHelpText();
        return EXIT_PASSED;
    }

#if defined(QUARZEL_HAVE_CAN_DRIVERS)
    RegisterStandardCanInterfaceKinds();
#endif
#if defined(QUARZEL_HAVE_SIM)
    RegisterSimulatorCanInterfaceKinds();
#endif
    SetTimerFactory([] { return std::make_unique<PreciseTimer>(); });

    int code = EXIT_CANNOT_RUN;
    if (!options.compareEds.empty()) {
        HeadlessSession session(options, std::cout, std::cerr);
#if defined(QUARZEL_HAVE_OBJECTS)
        if (session.PrepareStation())
            code = RunEdsComparisonHeadless(options.compareEds, options.node, options.kbit, std::cout, std::cerr);
#else
        std::cerr << "quarzel-run: built without the object tools (--compare-eds)\n";
#endif
        SetTimerFactory(nullptr);
        return code;
    }
#if defined(QUARZEL_HAVE_RESULTS)
    // Every run this program makes goes into the result archive.
    StationArchive archive([](const std::string& text) { std::cerr << "quarzel-run: " << text << std::endl; });
    SetRunArchive(&archive);
#endif
    {
        HeadlessSession session(options, std::cout, std::cerr);
        session.SetEndCallback([&app] { QTimer::singleShot(0, &app, &QCoreApplication::quit); });
        if (session.Start()) {
            if (options.timeoutSeconds > 0)
                QTimer::singleShot(options.timeoutSeconds * 1000, &app, [&session] { session.TimeLimitReached(); });
            if (!session.Ended()) app.exec();
        }
        code = session.Finish();
    }
    SetRunArchive(nullptr);
    SetTimerFactory(nullptr);
    return code;
}
