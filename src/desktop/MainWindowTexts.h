#pragma once
// What the main window shows, as texts and colours: status label colours, the node-parameter
// panel, the history entries, message and notice texts.

#include <string>

#include "FileHistory.h"
#include "Ports.h"

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The label colours: Default grey (128, 128, 128), Green, Yellow, Orange (255, 127, 0), Red.
Rgb StatusColorRgb(StatusColor color);

// The node-parameter panel: bit rate in kbit/s, node address "%d  (0x%02X)", Timer, TimerLong.
struct NodePanelTexts {
    std::string bitRate;
    std::string nodeId;
    std::string timer;
    std::string timerLong;
    friend bool operator==(const NodePanelTexts&, const NodePanelTexts&) = default;
};
// The panel from the script variables. A missing value shows empty; a node address outside
// 0 ... 127 keeps the text shown before (`previous`).
NodePanelTexts NodePanelFromVariables(const NodePanelTexts& previous);

// A test-file history entry: "1: " ... "10: " followed by the path (`index` counts from 0).
std::string HistoryCaption(size_t index, const std::string& path);

// A message text with "\r", "\n" and "\r\n" each one line break ("\n").
std::string MessageDisplayText(const std::string& text);
// A notice for the notice dialog: line breaks as in messages, other control characters
// (a notice that is not text) shown as U+FFFD instead of being passed to the text control.
std::string NoticeDisplayText(const std::string& text);
