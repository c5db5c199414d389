#include <gtest/gtest.h>

#include "BefTestSupport.h"

namespace {
std::string Mark(const std::string& name) { return Step("B:Marke,Name:" + name); }
std::string MarkRow(const std::string& name) { return "Marke  B:Marke  Name:" + name; }
}  // namespace

TEST(BefGoTo, CountTwoJumpsTwiceThenFallsThrough) {
    StationHarness h;
    ASSERT_TRUE(h.Load(BefHeader() + Mark("a") + Mark("b") + Mark("t") + Step("B:BEF_GoTo,Zeile:19,Anzahl:2") +
                       Mark("e")));
    ASSERT_EQ(CurrentTest().instructions[2].lineNumber, 19u);
    for (int run = 0; run < 2; ++run) {  // a second START counts afresh
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        const std::vector<std::string> expected = {
            MarkRow("a"), MarkRow("b"), MarkRow("t"), "BEF_GoTo     Zeile: 19;   Anzahl: 2",
            MarkRow("t"), "BEF_GoTo     Zeile: 19;   Anzahl: 1", MarkRow("t"), "BEF_GoTo", MarkRow("e")};
        EXPECT_EQ(StepCommands(h), expected) << "run " << run;
        for (const auto& r : rows) EXPECT_EQ(r.status, "ok");
        EXPECT_EQ(rows[3].rt, "T");
        EXPECT_EQ(rows[3].value, "");
        EXPECT_EQ(h.ErrorCount(), 0);
    }
}

TEST(BefGoTo, MissingLineIsASyntaxErrorAndExecutionGoesOn) {
    StationHarness h;
    ASSERT_TRUE(h.Load(BefHeader() + Mark("a") + Step("B:BEF_GoTo,Zeile:20,Anzahl:2") + Mark("e")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].command, "BEF_GoTo    wrong line number");
    EXPECT_EQ(rows[1].status, "Err Syn");
    EXPECT_EQ(rows[2].command, MarkRow("e"));
    EXPECT_EQ(h.ErrorCount(), 1);
}

TEST(BefGoTo, BadNumbersAndCountsBelowOneMakeNoJump) {
    StationHarness h;
    ASSERT_TRUE(h.Load(BefHeader() + Mark("a") + Mark("t") + Step("B:BEF_GoTo,Zero:17,Anzahl:0") +
                       Step("B:BEF_GoTo,Minus:17,Anzahl:0-3") + Step("B:BEF_GoTo,Zeile:x8,Anzahl:1") +
                       Step("B:BEF_GoTo,Zeile:17,Anzahl:") + Step("B:BEF_GoTo,Last:17,Anzahl:1") + Mark("e")));
    // Each loop counter is keyed by its whole first parameter, so every step has its own tag.
    ASSERT_TRUE(h.Run(10'000));
    const std::vector<std::string> expected = {MarkRow("a"),
                                               MarkRow("t"),
                                               "BEF_GoTo",
                                               "BEF_GoTo",
                                               "BEF_GoTo    !Syntax error",
                                               "BEF_GoTo    !Syntax error",
                                               "BEF_GoTo     Zeile: 17;   Anzahl: 1",
                                               MarkRow("t"),
                                               "BEF_GoTo",
                                               "BEF_GoTo",
                                               "BEF_GoTo    !Syntax error",
                                               "BEF_GoTo    !Syntax error",
                                               "BEF_GoTo",
                                               MarkRow("e")};
    EXPECT_EQ(StepCommands(h), expected);
}

TEST(BefGoTo, InterleavedLoopsKeepTheirOwnTargets) {
    // Outer loop to "o" twice; inner loop to "i" once per outer pass. With one shared target
    // the outer loop's later passes would land on the inner target.
    StationHarness h;
    ASSERT_TRUE(h.Load(BefHeader() + Mark("a") + Mark("o") + Mark("i") + Step("B:BEF_GoTo,Inner:19,Anzahl:1") +
                       Step("B:BEF_GoTo,Outer:17,Anzahl:1") + Mark("e")));
    ASSERT_TRUE(h.Run(10'000));
    const std::vector<std::string> expected = {MarkRow("a"),
                                               MarkRow("o"),
                                               MarkRow("i"),
                                               "BEF_GoTo     Zeile: 19;   Anzahl: 1",
                                               MarkRow("i"),
                                               "BEF_GoTo",
                                               "BEF_GoTo     Zeile: 17;   Anzahl: 1",
                                               MarkRow("o"),
                                               MarkRow("i"),
                                               "BEF_GoTo     Zeile: 19;   Anzahl: 1",
                                               MarkRow("i"),
                                               "BEF_GoTo",
                                               "BEF_GoTo",
                                               MarkRow("e")};
    EXPECT_EQ(StepCommands(h), expected);
}

namespace {
// A step whose answer is right ("ok") or wrong ("Err Ans"): the vendor id upload.
std::string VendorUpload(bool right) { return Step("B:SDO_UpInit,Index:1018,Sub:1", right ? "Value:0x3A2" : "Value:1"); }
}  // namespace

TEST(BefIf, ErrTakesThenAfterAWrongAnswerAndElseAfterARightOne) {
    for (bool right : {false, true}) {
        StationHarness h;
        // Steps: 0 upload (line 15, with answer: 4 lines), 1 If (line 19), 2 Marke n (21),
        // 3 Marke then (23), 4 Marke else (25).
        ASSERT_TRUE(h.Load(BefHeader() + VendorUpload(right) + Step("B:BEF_If,Err,Then:23,Else:25") + Mark("n") +
                           Mark("then") + Mark("else")));
        ASSERT_EQ(CurrentTest().instructions[3].lineNumber, 23u);
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        ASSERT_GE(rows.size(), 4u);
        EXPECT_EQ(rows[1].status, right ? "ok" : "Err Ans");
        EXPECT_EQ(rows[2].command, right ? "BEF_If  Err     Zeile: 25  Else" : "BEF_If  Err     Zeile: 23  Then");
        EXPECT_EQ(rows[2].status, "ok");
        EXPECT_EQ(rows[3].command, MarkRow(right ? "else" : "then"));
    }
}

TEST(BefIf, OkKeywordAndComparisons) {
    StationHarness h;
    // 0 upload ok (15..18), 1 If Ok (19), 2 Marke skipped (21), 3 If NodeId=1 (23),
    // 4 Marke skipped (25), 5 If NodeId>5 (27), 6 Marke then (29), 7 Marke else (31).
    ASSERT_TRUE(h.Load(BefHeader() + VendorUpload(true) + Step("B:BEF_If,Cond:Ok,Then:23,E:21") + Mark("skip1") +
                       Step("B:BEF_If,Cond:NodeId=1,Then:27,E:25") + Mark("skip2") +
                       Step("B:BEF_If,Cond:NodeId>5,T:29,Else:31") + Mark("then") + Mark("else")));
    ASSERT_TRUE(h.Run());
    const std::vector<std::string> commands = StepCommands(h);
    ASSERT_EQ(commands.size(), 6u);
    EXPECT_EQ(commands[2], "BEF_If  Cond:Ok     Zeile: 23  Then");
    EXPECT_EQ(commands[3], "BEF_If  Cond:NodeId=1     Zeile: 27  Then");
    EXPECT_EQ(commands[4], "BEF_If  Cond:NodeId>5     Zeile: 31  Else");
    EXPECT_EQ(commands[5], MarkRow("else"));
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST(BefIf, MissingOrUnreadableBranchLines) {
    StationHarness h;
    // 0 If to a missing Then line (15), 1 If with an unreadable Else (17), 2 If with a short
    // Then parameter (19), 3 Marke (21), 4 If without Else (23), 5 Marke e (25).
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_If,Cond:1=1,Then:108,Else:21") + Step("B:BEF_If,Cond:1=2,T:21,E:zz") +
                       Step("B:BEF_If,Cond:1=1,T:21") + Mark("m") + Step("B:BEF_If,Cond:1=2,T:21") + Mark("e")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].command, "BEF_If  Cond:1=1    wrong line number");
    EXPECT_EQ(rows[0].status, "Err Syn");
    EXPECT_EQ(rows[1].command, "BEF_If  Cond:1=2    !Syntax error");
    EXPECT_EQ(rows[1].status, "Err Syn");
    // The line text is taken from the parameter's sixth character on: "T:21" has none.
    EXPECT_EQ(rows[2].command, "BEF_If  Cond:1=1     Zeile:   Then");
    EXPECT_EQ(rows[4].command, "BEF_If  Cond:1=2");
    EXPECT_EQ(rows[4].status, "ok");
    EXPECT_EQ(rows[5].command, MarkRow("e"));
    EXPECT_EQ(h.ErrorCount(), 2);
}
