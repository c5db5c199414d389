#include <gtest/gtest.h>

#include "StationHarness.h"

TEST(StationHarness, RunsALabelLoopAndSeesTheDeviceBoot) {
    StationHarness h;
    ASSERT_TRUE(h.Load("Baudrate: 500 kBit\nKnotenadresse: 1\nVendorID: 0x3A2\nProduktcode: 0x5813\n"
                       "Revisionsnummer: 1\nSeriennummer: 0\nEmergencyID: 0x81\nGuardingId: 0x701\n"
                       "PDO1_ID: 0x181\nPDO2_ID: 0x281\nSyncId: 0x80\nTimer: 10\n\n[BEFEHLE]\n"
                       "[B]\nB:Marke,Name:First\n"
                       "[B]\nB:Marke,Name:Loop\n"
                       "[B]\nB:BEF_GoTo_Marke,Name:Loop,Anzahl:2\n"));
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(h.EndReason(), RunEnd::Finished);
    EXPECT_EQ(h.ErrorCount(), 0);
    const auto rows = h.Rows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back()[COL_COMMAND], "Test end");
    // First, Loop, GoTo, Loop, GoTo, Loop, GoTo (no more jumps), Test end.
    EXPECT_EQ(rows.size(), 8u);
    EXPECT_TRUE(h.StationFrames().empty());
    // The encoder's boot-up frame went out when it was switched on.
    ASSERT_FALSE(h.BusFrames().empty());
    EXPECT_EQ(h.BusFrames()[0].id, 0x701u);
    EXPECT_EQ(h.BusFrames()[0].data, std::vector<uint8_t>{0});
}
