#pragma once
// A simulated converter on a pseudo-terminal and a converter link configured for it. Waits for
// answers are bounded; an answer ends the wait as soon as it is complete, so only the silent
// cases wait out their (short) limit.

#include <gtest/gtest.h>

#include <QApplication>
#include <string>

#include "ConverterLink.h"
#include "PtyConverter.h"

// A widget application (offscreen in the tests), so the bench panel can be tested beside the rest.
inline void EnsureCoreApplication() {
    static int argc = 1;
    static char name[] = "test_testbench";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
}

// quarzel.ini text naming the converter's port.
inline std::string ConverterIni(const std::string& port, const std::string& settings = "9600,N,8,1") {
    return "[PRG_NAME]\r\nQuarzel\r\n[ComPortKonverter]\r\n" + port + "\r\n[ComInitKonverter]\r\n" + settings + "\r\n";
}

class ConverterFixture : public ::testing::Test {
protected:
    // Generous: a complete answer ends the wait at once; this only bounds a stalled machine.
    static constexpr ConverterLink::Timing kAnswering{5000, 5000};
    // For converters that stay silent: the result does not depend on the machine's speed.
    static constexpr ConverterLink::Timing kSilent{150, 150};

    void SetUp() override {
        EnsureCoreApplication();
        std::string error;
        ASSERT_TRUE(sim.Start(error)) << error;
        link.SetTiming(kAnswering);
    }
    void Reconfigure(const ConverterSwitches& switches) { sim.SetSwitches(switches); }
    std::string Ini() const { return ConverterIni(sim.DevicePath()); }
    // The requests after the first `skip`, without their command byte's framing.
    std::vector<std::string> RequestsFrom(size_t skip) const {
        const auto all = sim.Requests();
        return {all.begin() + static_cast<long>(std::min(skip, all.size())), all.end()};
    }

    PtyConverter sim;
    ConverterLink link;
};
