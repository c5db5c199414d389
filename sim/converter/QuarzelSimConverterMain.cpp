// quarzel-sim-converter: a simulated test-bench converter on a pseudo-terminal.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "ConverterOptions.h"
#include "PtyConverter.h"

int main(int argc, char** argv) {
    ConverterProgramOptions options;
    std::string error;
    if (!ParseConverterArgs(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "quarzel-sim-converter: %s\nTry quarzel-sim-converter --help.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(ConverterUsage().c_str(), stdout);
        return 0;
    }
    // The signals are taken by sigwait below, not by a handler.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    PtyConverter converter(options.switches, [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    });
    if (!converter.Start(error)) {
        std::fprintf(stderr, "quarzel-sim-converter: %s\n", error.c_str());
        return 1;
    }
    if (!options.linkPath.empty()) {
        ::unlink(options.linkPath.c_str());
        if (::symlink(converter.DevicePath().c_str(), options.linkPath.c_str()) != 0) {
            std::fprintf(stderr, "quarzel-sim-converter: cannot create the link %s\n", options.linkPath.c_str());
            return 1;
        }
    }
    std::printf("converter: %s\n", converter.DevicePath().c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    converter.Stop();
    if (!options.linkPath.empty()) ::unlink(options.linkPath.c_str());
    std::printf("stopped\n");
    return 0;
}
