#include <gtest/gtest.h>

#include "NmtLssFixture.h"

namespace {
// Byte 0 and the 32-bit value in bytes 1 to 4 of an LSS request.
std::pair<uint8_t, uint32_t> Request(const SeenFrame& f) {
    EXPECT_EQ(f.id, 0x7E5u);
    EXPECT_EQ(f.len, 8u);
    if (f.data.size() != 8) return {0, 0};
    return {f.data[0], static_cast<uint32_t>(f.data[1] | f.data[2] << 8 | f.data[3] << 16 | f.data[4] << 24)};
}

std::string Lss(const std::string& command, const std::string& answer = "") { return Step(command, answer); }
}  // namespace

TEST(LssSwitchSelect, VerifyingVariantRunsFiveRoundsOfFiveTicks) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Switch_Select_V")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 25u);
    const char* finals[] = {"Ende falsche Vendor Id keine Antwort", "Ende falsche Produkt Id keine Antwort",
                            "Ende falsche Revisionsnummer keine Antwort", "Ende falsche Seriennummer keine Antwort"};
    for (size_t round = 0; round < 4; ++round) {
        EXPECT_EQ(rows[round * 5].command, "LSS_Switch_Select Vendor Id");
        EXPECT_EQ(rows[round * 5 + 1].command, "    Produkt Id");
        EXPECT_EQ(rows[round * 5 + 2].command, "    Revisions Nummer");
        EXPECT_EQ(rows[round * 5 + 3].command, "    Serien Nummer");
        EXPECT_EQ(rows[round * 5 + 4].command, std::string("     ") + finals[round]);
        EXPECT_EQ(rows[round * 5 + 4].status, "ok");
    }
    EXPECT_EQ(rows[24].command, "LSS Switch Selectiv Ende");
    EXPECT_EQ(rows[24].rt, "R");
    EXPECT_EQ(rows[24].id, "7e4");
    EXPECT_EQ(rows[24].data, "44 00 00 00 00 00 00 00");
    EXPECT_EQ(rows[24].status, "ok");
    EXPECT_EQ(h.ErrorCount(), 0);

    // Round by round one value is 10 off; the last round sends the identity as it is.
    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 20u);
    const uint32_t identity[] = {0x3A2, 0x5813, 0x00010002, 0x12345678};
    for (size_t round = 0; round < 5; ++round) {
        for (size_t k = 0; k < 4; ++k) {
            const auto [cs, value] = Request(f[round * 4 + k]);
            EXPECT_EQ(cs, 0x40 + k);
            EXPECT_EQ(value, identity[k] + (round == k ? 10u : 0u)) << "round " << round << " frame " << k;
        }
    }
    EXPECT_EQ(rows[0].value, "0x03ac");
    EXPECT_EQ(rows[0].rt, "T");
}

TEST(LssSwitchSelect, AnswerInASpoiledRoundEndsTheCommand) {
    EncoderOptions o;
    o.vendorId = 0x3A2 + 10;  // the device matches the spoiled vendor id of round 1
    StationHarness h(o);
    ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Switch_Select_V") + Lss("B:LSS_Switch_Select")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[4].command, " LSS selective unerwartete Antwort");
    EXPECT_EQ(rows[4].data, "44 00 00 00 00 00 00 00");
    EXPECT_EQ(rows[4].status, "LSS Error");
    // The next command starts afresh, with the values of the test, which the device lacks.
    EXPECT_EQ(rows[5].command, "LSS_Switch_Select Vendor Id");
    EXPECT_EQ(rows[5].value, "0x03a2");
    EXPECT_EQ(rows[9].command, "     Ende !keine Antwort");
    EXPECT_EQ(rows[9].status, "LSS Error");
    EXPECT_EQ(h.ErrorCount(), 2);
}

TEST(LssSwitchSelect, PlainSwitchAndItsFaults) {
    {
        StationHarness h;
        ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Switch_Select") + Lss("B:LSS_Switch_Select", "None")));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        ASSERT_EQ(rows.size(), 10u);
        EXPECT_EQ(rows[4].command, "LSS Switch Selectiv Ende");
        EXPECT_EQ(rows[4].status, "ok");
        // A confirmation although "None" was expected.
        EXPECT_EQ(rows[9].command, "LSS Switch Selectiv Ende");
        EXPECT_EQ(rows[9].status, "Err Ans");
    }
    const struct {
        const char* fault;
        const char* text;
    } cases[] = {
        {"lss.wrongid", "falscher Identifier"},
        {"lss.wronglen:7", "falsche Datenl\xE4nge"},
        {"lss.wrongdata", "unerwartete Antwort"},
        {"lss.silent", "     Ende !keine Antwort"},
    };
    for (const auto& c : cases) {
        StationHarness h(WithFaults(c.fault));
        ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Switch_Select")));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        ASSERT_EQ(rows.size(), 5u) << c.fault;
        EXPECT_EQ(rows[4].command, c.text) << c.fault;
        EXPECT_EQ(rows[4].status, "LSS Error") << c.fault;
    }
    StationHarness silent(WithFaults("lss.silent"));
    ASSERT_TRUE(silent.Load(Header() + Lss("B:LSS_Switch_Select", "None")));
    ASSERT_TRUE(silent.Run());
    EXPECT_EQ(silent.ErrorCount(), 0);
}

TEST(LssSwitchSelect, LateConfirmationDisturbsTheNextSequence) {
    // The confirmation comes 15 ms after the last frame, after the final tick (10 ms).
    StationHarness h(WithFaults("lss.late:15"));
    ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Switch_Select") + Lss("B:LSS_Switch_Select")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[4].command, "     Ende !keine Antwort");
    EXPECT_EQ(rows[4].status, "LSS Error");
    EXPECT_EQ(rows[6].command, "LSS_Switch_Select Vendor Id !unerwartete Antwort");
    EXPECT_EQ(rows[6].rt, "R");
    EXPECT_EQ(rows[6].id, "7e4");
    EXPECT_EQ(rows[6].status, "LSS Error");
    EXPECT_EQ(h.ErrorCount(), 2);
    EXPECT_EQ(h.StationFrames().size(), 5u);
}

TEST(LssIdentRemoteSlave, VerifyingVariantRunsFiveRoundsOfSevenTicks) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Ident_Remote_Slave_V")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 35u);
    EXPECT_EQ(rows[0].command, "LSS_Ident_Remote_Slave Vendor Id");
    EXPECT_EQ(rows[2].command, "    Revisions Nummer Low");
    EXPECT_EQ(rows[5].command, "    Serien Nummer High");
    EXPECT_EQ(rows[6].command, "     Ende falsche Vendor Id keine Antwort");
    EXPECT_EQ(rows[27].command, "     Ende falsche Seriennummer keine Antwort");
    EXPECT_EQ(rows[34].command, "LSS Remote Slave Ende");
    EXPECT_EQ(rows[34].data, "4f 00 00 00 00 00 00 00");
    EXPECT_EQ(h.ErrorCount(), 0);

    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 30u);
    const uint32_t rev = 0x00010002, serial = 0x12345678;
    // Round 3 moves the revision range above the device, round 4 the serial range below it.
    EXPECT_EQ(Request(f[14]).second, rev + 10);
    EXPECT_EQ(Request(f[15]).second, rev + 40);
    EXPECT_EQ(Request(f[22]).second, serial - 30);
    EXPECT_EQ(Request(f[23]).second, serial - 10);
    // The last round brackets the device.
    EXPECT_EQ(Request(f[26]), std::make_pair(uint8_t{0x48}, rev - 10));
    EXPECT_EQ(Request(f[27]), std::make_pair(uint8_t{0x49}, rev + 10));
    EXPECT_EQ(Request(f[28]), std::make_pair(uint8_t{0x4A}, serial - 10));
    EXPECT_EQ(Request(f[29]), std::make_pair(uint8_t{0x4B}, serial + 10));
}

TEST(LssIdentRemoteSlave, SmallRevisionAndSerialNumbersStayInRange) {
    EncoderOptions o;
    o.revision = 3;
    o.serial = 5;
    StationHarness h(o);
    ASSERT_TRUE(h.Load(Header("Revisionsnummer: 3\nSeriennummer: 5\n") + Lss("B:LSS_Ident_Remote_Slave_V")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 35u);
    EXPECT_EQ(rows[34].command, "LSS Remote Slave Ende");
    EXPECT_EQ(h.ErrorCount(), 0);
    const auto& f = h.StationFrames();
    EXPECT_EQ(Request(f[26]).second, 0u);
    EXPECT_EQ(Request(f[27]).second, 13u);
    EXPECT_EQ(Request(f[28]).second, 0u);
    EXPECT_EQ(Request(f[29]).second, 15u);
    // Round 4's serial range is [0, 0]: below the device.
    EXPECT_EQ(Request(f[22]).second, 0u);
    EXPECT_EQ(Request(f[23]).second, 0u);
}

TEST(LssIdentRemoteSlave, LargeRevisionStopsAtTheTopOfTheRange) {
    EncoderOptions o;
    o.revision = 0xFFFFFFF8u;
    StationHarness h(o);
    ASSERT_TRUE(h.Load(Header("Revisionsnummer: 0xFFFFFFF8\n") + Lss("B:LSS_Ident_Remote_Slave")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[6].command, "LSS Remote Slave Ende");
    EXPECT_EQ(Request(h.StationFrames()[3]).second, 0xFFFFFFFFu);
}

TEST(LssIdentRemoteSlave, AnswerInsideASpoiledRangeEndsTheCommand) {
    EncoderOptions o;
    o.revision = 0x00010002 + 20;  // inside round 3's moved range, outside round 0's
    StationHarness h(o);
    ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Ident_Remote_Slave_V")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows[13].command, "     Ende falsche Produkt Id keine Antwort");
    EXPECT_EQ(rows[20].command, " LSS Remote Slave unerwartete Antwort");
    EXPECT_EQ(rows[20].status, "LSS Error");
    EXPECT_EQ(h.ErrorCount(), 1);
}

TEST(LssServices, ConfigurationNeedsTheConfigurationState) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Query_SerialNr") + Lss("B:LSS_Switch_Global_Config") +
                       Lss("B:LSS_Query_SerialNr", "Val:0x12345678") + Lss("B:LSS_Query_SerialNr", "Val:0x12345679") +
                       Lss("B:LSS_Query_VendorId", "Any") + Lss("B:LSS_Query_ProdCode", "None") +
                       Lss("B:LSS_Conf_Timing,Index:3", "Err:0") + Lss("B:LSS_Query_NodeId", "Node:1") +
                       Lss("B:LSS_Switch_Global_Operate", "None") + Lss("B:LSS_Query_RevNr", "None")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0].command, "LSS_Query_SerialNr");
    EXPECT_EQ(rows[0].value, "0x0000");
    EXPECT_EQ(rows[0].data, "5d 00 00 00 00 00 00 00");
    EXPECT_EQ(rows[1].command, "LSS_Query_SerialNr_Res  !keine Antwort");
    EXPECT_EQ(rows[1].status, "Err Ans");
    EXPECT_EQ(rows[3].command, "LSS_Switch_Global_Config_Res    keine Antwort");
    EXPECT_EQ(rows[3].status, "ok");
    EXPECT_EQ(rows[5].command, "LSS_Query_SerialNr_Res");
    EXPECT_EQ(rows[5].value, "0x12345678");
    EXPECT_EQ(rows[5].data, "5d 78 56 34 12 00 00 00");
    EXPECT_EQ(rows[5].status, "ok");
    EXPECT_EQ(rows[7].status, "Err Ans");
    EXPECT_EQ(rows[9].status, "ok");
    EXPECT_EQ(rows[11].command, "LSS_Query_ProdCode_Res !unerwartete Antwort");
    EXPECT_EQ(rows[11].status, "Err Ans");
    EXPECT_EQ(rows[13].command, "LSS_Conf_Timing_Res");
    EXPECT_EQ(rows[13].status, "ok");
    EXPECT_EQ(rows[15].value, "0x1");
    EXPECT_EQ(rows[15].status, "ok");
    EXPECT_EQ(rows[17].command, "LSS_Switch_Global_Operate_Res    keine Antwort");
    EXPECT_EQ(rows[17].status, "ok");
    // Back in the waiting state the device no longer answers inquiries.
    EXPECT_EQ(rows[19].status, "ok");
    EXPECT_EQ(h.ErrorCount(), 3);

    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 10u);
    EXPECT_EQ(f[6].data, Bytes({0x13, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(f[1].data, Bytes({0x04, 0x01, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(f[8].data, Bytes({0x04, 0x00, 0, 0, 0, 0, 0, 0}));
}

TEST(LssServices, ConfigureNodeIdAndStore) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Switch_Select") + Lss("B:LSS_Conf_NodId,NodeId:5", "Err:0") +
                       Lss("B:LSS_Store_Config") + Lss("B:LSS_Conf_NodId,NodeId:200", "Err:0") +
                       Lss("B:LSS_Conf_NodId,NodeId:NoName")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[6].command, "LSS_Conf_NodId_Res");
    EXPECT_EQ(rows[6].status, "ok");
    EXPECT_EQ(rows[8].command, "LSS_Store_Config_Res");
    EXPECT_EQ(rows[8].status, "ok");
    // The device refuses node 200 with error code 1.
    EXPECT_EQ(rows[10].value, "0x1");
    EXPECT_EQ(rows[10].status, "Err Ans");
    EXPECT_EQ(rows[11].command, "unbekannter Befehl");
    EXPECT_EQ(rows[11].status, "Err Syn");
    EXPECT_EQ(h.ErrorCount(), 2);
}

TEST(LssServices, FaultyAnswersAreLssErrors) {
    {
        StationHarness h(WithFaults("store.fail"));
        ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Switch_Global_Config") + Lss("B:LSS_Store_Config")));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[3].command, "LSS_Store_Config_Res  !unerwartete Antwort");
        EXPECT_EQ(rows[3].status, "LSS Error");
    }
    const struct {
        const char* fault;
        const char* text;
    } cases[] = {
        {"lss.wrongid", "LSS_Query_VendorId_Res  !falscher Identifier"},
        {"lss.wronglen:7", "LSS_Query_VendorId_Res  !falsche Datenl\xE4nge"},
    };
    for (const auto& c : cases) {
        StationHarness h(WithFaults(c.fault));
        ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Switch_Global_Config", "Any") + Lss("B:LSS_Query_VendorId", "V:0x3A2")));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        ASSERT_EQ(rows.size(), 4u) << c.fault;
        EXPECT_EQ(rows[3].command, c.text) << c.fault;
        EXPECT_EQ(rows[3].status, "LSS Error") << c.fault;
        EXPECT_EQ(rows[3].value, "") << c.fault;
    }
    // A spoiled value passes the protocol check and fails the comparison.
    StationHarness h(WithFaults("lss.wrongdata"));
    ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Switch_Global_Config", "Any") + Lss("B:LSS_Query_VendorId", "V:0x3A2")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3].command, "LSS_Query_VendorId_Res");
    EXPECT_EQ(rows[3].value, "0x3a3");
    EXPECT_EQ(rows[3].status, "Err Ans");
}

TEST(LssServices, GlobalSwitchAnswers) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Switch_Select") + Lss("B:LSS_Switch_Global_Config", "Any") +
                       Lss("B:LSS_Switch_Global_Operate", "Id:0x7E4")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[6].status, "ok");
    EXPECT_EQ(rows[8].command, "LSS_Switch_Global_Operate_Res    keine Antwort");
    EXPECT_EQ(rows[8].status, "Err Ans");
}

TEST(LssServices, IdentifyNonConfiguredSlave) {
    {
        StationHarness h;
        ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Ident_NotConf_Slave", "None") + Lss("B:LSS_Ident_NotConf_Slave")));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[1].status, "ok");
        EXPECT_EQ(rows[3].status, "Err Ans");
    }
    EncoderOptions o;
    o.nodeId = 255;
    StationHarness h(o);
    ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Ident_NotConf_Slave")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].command, "LSS_Ident_NotConf_Slave_Res");
    EXPECT_EQ(rows[1].data, "50 00 00 00 00 00 00 00");
    EXPECT_EQ(rows[1].status, "ok");
}

TEST(LssServices, ActivateBitTimingIsUnknown) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Lss("B:LSS_Act_Timing,Delay:100")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].status, "Err Syn");
    EXPECT_TRUE(h.StationFrames().empty());
}
