#include <gtest/gtest.h>

#include "Dispatcher.h"
#include "NamedValueList.h"

namespace {
class DispatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearCommandRegistry();
        CurrentRun() = ScriptRun{};
    }
    void TearDown() override { ClearCommandRegistry(); }

    // Registers `name` in `family`; the handler records the family that ran.
    void Add(CommandFamily family, const std::string& name, bool result = true) {
        ASSERT_TRUE(RegisterCommand(family, name, [this, name, result](TestInstruction& ins) {
            ran.push_back(name + "(" + ins.param1 + ")");
            return result;
        }));
    }
    static std::vector<TestInstruction> One(const std::string& command, const std::string& p1 = "") {
        TestInstruction ins;
        ins.command = command;
        ins.param1 = p1;
        return {ins};
    }
    std::vector<std::string> ran;
};
}  // namespace

TEST_F(DispatcherTest, RoutesByPrefixAndComparesTheFullName) {
    EXPECT_EQ(CommandFamilyOf("SDO_UpInit"), CommandFamily::Sdo);
    EXPECT_EQ(CommandFamilyOf("NMT_Start"), CommandFamily::Nmt);
    EXPECT_EQ(CommandFamilyOf("LSS_Switch"), CommandFamily::Lss);
    EXPECT_EQ(CommandFamilyOf("BEF_GoTo"), CommandFamily::Bef);
    EXPECT_EQ(CommandFamilyOf("Sync"), CommandFamily::Misc);
    EXPECT_EQ(CommandFamilyOf("NM"), CommandFamily::Misc);

    Add(CommandFamily::Nmt, "NMT_Start");
    Add(CommandFamily::Misc, "Sync");
    EXPECT_TRUE(DispatchInstruction(One("B:NMT_Start", "N:1"), 0));
    EXPECT_TRUE(DispatchInstruction(One("B:Sync"), 0));
    EXPECT_EQ(ran, (std::vector<std::string>{"NMT_Start(N:1)", "Sync()"}));
    // The copy went into the working record.
    EXPECT_EQ(CurrentRun().workingInstruction.command, "B:Sync");

    EXPECT_FALSE(DispatchInstruction(One("B:NMT_Starten"), 0));
    EXPECT_FALSE(DispatchInstruction(One("B:Unbekannt"), 0));
    EXPECT_FALSE(DispatchInstruction(One("NMT_Start"), 0));  // no ":"
    EXPECT_FALSE(DispatchInstruction(One("B:NMT_Start"), 1));  // outside the array
    EXPECT_FALSE(DispatchInstruction(One("B:NMT_Start"), -1));
    EXPECT_EQ(ran.size(), 2u);
}

TEST_F(DispatcherTest, ANameOutsideItsFamilyCannotBeRegistered) {
    EXPECT_FALSE(RegisterCommand(CommandFamily::Bef, "NMT_Start", [](TestInstruction&) { return true; }));
    EXPECT_FALSE(RegisterCommand(CommandFamily::Misc, "SDO_X", [](TestInstruction&) { return true; }));
    EXPECT_FALSE(RegisterCommand(CommandFamily::Misc, "Gen", nullptr));
    EXPECT_FALSE(DispatchInstruction(One("B:NMT_Start"), 0));
}

TEST_F(DispatcherTest, AFamilyResultIsPassedOn) {
    Add(CommandFamily::Misc, "WaitForId", false);
    EXPECT_FALSE(DispatchInstruction(One("B:WaitForId"), 0));
    EXPECT_EQ(ran.size(), 1u);
}

TEST_F(DispatcherTest, InteractiveStepRunsFirstForAmpersandCommands) {
    // Without an interactive step such instructions are not executed.
    EXPECT_FALSE(DispatchInstruction(One("&SerialNr", "Value:5"), 0));

    Add(CommandFamily::Misc, "Gen");
    uint32_t outcome = 0;
    SetInteractiveInputStep([&](TestInstruction& ins) {
        ins.command = "B:Gen";  // a template rewrites the record into a frame
        ins.param1 = "rewritten";
        return outcome;
    });
    for (uint32_t done : {INTERACTIVE_VALUE_SET, INTERACTIVE_CANCELLED}) {
        outcome = done;
        EXPECT_TRUE(DispatchInstruction(One("&SerialNr"), 0));
    }
    outcome = INTERACTIVE_NOT_EXECUTED;
    EXPECT_FALSE(DispatchInstruction(One("&SerialNr"), 0));
    EXPECT_TRUE(ran.empty());
    outcome = INTERACTIVE_TEMPLATE_APPLIED;
    EXPECT_TRUE(DispatchInstruction(One("&SerialNr"), 0));
    EXPECT_EQ(ran, (std::vector<std::string>{"Gen(rewritten)"}));
}

TEST_F(DispatcherTest, PhaseResetsRunWhenAsked) {
    int resets = 0;
    RegisterPhaseReset([&] { ++resets; });
    RegisterPhaseReset([&] { resets += 10; });
    ResetCommandPhases();
    EXPECT_EQ(resets, 11);
}
