#pragma once
// The PCAN adapter against the stand-in library, loaded by file name like the vendor's, on
// virtual time, with recorded operator messages and status labels.

#include <gtest/gtest.h>

#include "CanChannel.h"
#include "CanSettings.h"
#include "PcanSimLibrary.h"
#include "PeakCanInterface.h"
#include "PeakHandleGuard.h"
#include "ScriptedOperator.h"
#include "TempDir.h"
#include "VirtualTimeSource.h"

class PeakFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.IsLoaded()) << sim.Error();
        sim.Reset();
        sim.UseStationClock();
        SetPeakHandleGuardDirectory(locks.Path());
        MapCanSettings& s = DefaultCanSettings();
        s.SetConfig("[CAN_TREIBER_TYP]", PCANSIM_LIBRARY);
        s.SetConfig("[CAN_TREIBER_HWID]", "1");
        s.SetVariable("Baudr", 4);
        s.SetVariable("CANInitDelay", 0);
    }
    void TearDown() override {
        CanSetInterface(nullptr);
        CanHardwareList().clear();
        CanActive = false;
        SetPeakHandleGuardDirectory("");
        sim.Reset();
    }

    // A PeakCanInterface made the current interface.
    std::shared_ptr<PeakCanInterface> Current(const std::string& library = {}) {
        auto iface = std::make_shared<PeakCanInterface>(library);
        CanSetInterface(iface);
        return iface;
    }

    static TPCANMsg Frame(uint32_t id, std::initializer_list<uint8_t> data, uint8_t type = 0) {
        TPCANMsg m{};
        m.ID = id;
        m.MSGTYPE = type;
        m.LEN = static_cast<uint8_t>(data.size());
        size_t i = 0;
        for (uint8_t b : data) m.DATA[i++] = b;
        return m;
    }

    ScopedVirtualTime vt;
    ScriptedOperator op;
    RecordingChannelStatus status;
    TempDir locks;
    PcanSimLibrary sim{PCANSIM_LIBRARY};
};
