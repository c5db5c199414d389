#include <gtest/gtest.h>

#include "CommandLineOptions.h"
#include "ControlMessages.h"
#include "FileDialogFilter.h"
#include "MainWindowTexts.h"
#include "NamedValueList.h"
#include "StationIdentity.h"

TEST(CommandLine, ReadsNameValuePiecesAndIgnoresTheRest) {
    const DesktopOptions o = ParseCommandLine({"/opt/quarzel", "HWID=0x51 hwchan=2", "serialNBR=1234", "stray"});
    ASSERT_TRUE(o.hwid && o.hwchan && o.serialNumber);
    EXPECT_EQ(*o.hwid, "0x51");
    EXPECT_EQ(*o.hwchan, "2");
    EXPECT_EQ(*o.serialNumber, "1234");
    EXPECT_FALSE(o.testFile);
    EXPECT_FALSE(o.minimized);
    EXPECT_FALSE(o.automaticMode);
}

TEST(CommandLine, TestfileWithTstIsAutomaticModeOtherwiseCalibration) {
    DesktopOptions o = ParseCommandLine({"testfile=Line3/Encoder.TST"});
    EXPECT_TRUE(o.automaticMode);
    EXPECT_FALSE(o.calibrationFile);
    // The path keeps its case: Linux file names depend on it.
    EXPECT_EQ(*o.testFile, "Line3/Encoder.TST");

    o = ParseCommandLine({"testfile=Abgleich.ini"});
    EXPECT_FALSE(o.automaticMode);
    ASSERT_TRUE(o.calibrationFile);
    EXPECT_EQ(*o.calibrationFile, "Abgleich.ini");
}

TEST(CommandLine, MinimizedIsTrueOnlyWithTrueInTheValue) {
    EXPECT_EQ(ParseCommandLine({"minimized=TRUE"}).minimized, std::optional<bool>(true));
    EXPECT_EQ(ParseCommandLine({"minimized=istrue1"}).minimized, std::optional<bool>(true));
    EXPECT_EQ(ParseCommandLine({"minimized=yes"}).minimized, std::optional<bool>(false));
    EXPECT_EQ(ParseCommandLine({"minimized="}).minimized, std::optional<bool>(false));
}

TEST(Caption, NamesProductVersionAndDriver) {
    EXPECT_EQ(StationCaption("PCANBasic.dll"), "Quarzel Version 2.45.0 for PCANBasic.dll");
    EXPECT_EQ(VersionMismatchQuestion(),
              "Software version in INI file\ndoes not match program version\nVersion 2.45.0\n Programm fortsetzen ?");
}

TEST(ControlMessages, MessageInTwoWritesIsAcknowledgedOnceAfterTheSecond) {
    ControlMessages m;
    std::string message;
    EXPECT_EQ(m.Take("STA", message), ControlMessages::Result::Collected);
    EXPECT_EQ(m.Take("RT\r", message), ControlMessages::Result::Acknowledge);
    EXPECT_EQ(message, "START\r");
    EXPECT_EQ(m.Count(), 0u);
}

TEST(ControlMessages, TwoMessagesInOneReadGetOneAcknowledgement) {
    ControlMessages m;
    std::string message;
    EXPECT_EQ(m.Take("A\rB\r", message), ControlMessages::Result::Acknowledge);
    EXPECT_EQ(message, "A\r");
    // The second message went with the buffer.
    EXPECT_EQ(m.Count(), 0u);
    EXPECT_EQ(m.Take("", message), ControlMessages::Result::Collected);
}

TEST(ControlMessages, OverflowAt1023BytesDiscardsTheNewBytesToo) {
    ControlMessages m;
    std::string message;
    const std::string chunk(80, 'x');
    for (int k = 0; k < 12; ++k) ASSERT_EQ(m.Take(chunk, message), ControlMessages::Result::Collected);
    EXPECT_EQ(m.Count(), 960u);
    // 960 + 62 = 1022 still fits, 1022 + 1 reaches the limit.
    EXPECT_EQ(m.Take(std::string(62, 'y'), message), ControlMessages::Result::Collected);
    EXPECT_EQ(m.Take("\r", message), ControlMessages::Result::Overflow);
    EXPECT_EQ(m.Count(), 0u);
    EXPECT_EQ(m.Take("OK?\r", message), ControlMessages::Result::Acknowledge);
    EXPECT_EQ(message, "OK?\r");
}

TEST(ControlMessages, TakesAtMost80BytesPerPoll) {
    ControlMessages m;
    std::string message;
    // The carriage return is byte 81: not taken in this poll.
    EXPECT_EQ(m.Take(std::string(80, 'a') + "\r", message), ControlMessages::Result::Collected);
    EXPECT_EQ(m.Count(), 80u);
}

TEST(FileDialogFilter, TurnsStationFiltersIntoQtFilters) {
    EXPECT_EQ(FileDialogFilter("Test file  (*.tst)|*.tst"), "Test file  (*.tst)");
    EXPECT_EQ(FileDialogFilter("Hex files|*.hex|EDS|*.eds"), "Hex files (*.hex);;EDS (*.eds)");
    EXPECT_EQ(FileDialogFilter("|*.tst"), " (*.tst)");
    EXPECT_EQ(FileDialogFilter(""), "All files (*)");
}

TEST(MainWindowTexts, StatusColours) {
    EXPECT_EQ(StatusColorRgb(StatusColor::Default), (Rgb{128, 128, 128}));
    EXPECT_EQ(StatusColorRgb(StatusColor::Orange), (Rgb{255, 127, 0}));
    EXPECT_EQ(StatusColorRgb(StatusColor::Yellow), (Rgb{255, 255, 0}));
    EXPECT_EQ(StatusColorRgb(StatusColor::Green).g, 255);
    EXPECT_EQ(StatusColorRgb(StatusColor::Red).r, 255);
}

TEST(MainWindowTexts, NodePanelFromVariables) {
    ScriptVariables().Clear();
    ScriptVariables().Set("Baudr", 3);
    ScriptVariables().Set("NodeId", 5);
    ScriptVariables().Set("Timer", 10);
    ScriptVariables().Set("TimerLong", 2000);
    NodePanelTexts panel = NodePanelFromVariables({});
    EXPECT_EQ(panel.bitRate, "250");
    EXPECT_EQ(panel.nodeId, "5  (0x05)");
    EXPECT_EQ(panel.timer, "10");
    EXPECT_EQ(panel.timerLong, "2000");
    // A node address outside 0 ... 127 keeps what was shown; an unknown rate shows nothing.
    ScriptVariables().Set("NodeId", 200);
    ScriptVariables().Set("Baudr", 42);
    panel = NodePanelFromVariables(panel);
    EXPECT_EQ(panel.nodeId, "5  (0x05)");
    EXPECT_EQ(panel.bitRate, "");
    ScriptVariables().Clear();
}

TEST(MainWindowTexts, CarriageReturnAndLineFeedAreBothLineBreaks) {
    EXPECT_EQ(MessageDisplayText("a\rb\nc\r\nd"), "a\nb\nc\nd");
    EXPECT_EQ(HistoryCaption(9, "/t/x.tst"), "10: /t/x.tst");
}

TEST(MainWindowTexts, NoticeThatIsNotTextShowsReplacementCharacters) {
    const std::string binary("A\0B\x01\tC\r\nD\x7f", 10);
    EXPECT_EQ(NoticeDisplayText(binary), "A\xEF\xBF\xBD" "B\xEF\xBF\xBD\tC\nD\xEF\xBF\xBD");
}
