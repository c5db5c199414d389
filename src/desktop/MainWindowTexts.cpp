#include "MainWindowTexts.h"

#include <cstdio>

#include "HeadlessOperator.h"
#include "NamedValueList.h"
#include "Numbers.h"

Rgb StatusColorRgb(StatusColor color) {
    switch (color) {
        case StatusColor::Default: return {128, 128, 128};
        case StatusColor::Green: return {0, 255, 0};
        case StatusColor::Yellow: return {255, 255, 0};
        case StatusColor::Orange: return {255, 127, 0};
        case StatusColor::Red: return {255, 0, 0};
    }
    return {128, 128, 128};
}

NodePanelTexts NodePanelFromVariables(const NodePanelTexts& previous) {
    NodePanelTexts panel = previous;
    const NamedValueList& vars = ScriptVariables();
    uint32_t v = 0;
    panel.bitRate.clear();
    if (vars.Lookup("Baudr", v)) {
        const int kbit = IndexToBitRate(v);
        if (kbit > 0) panel.bitRate = std::to_string(kbit);
    }
    if (vars.Lookup("NodeId", v) && v <= 127) {
        char text[32];
        std::snprintf(text, sizeof text, "%u  (0x%02X)", v, v);
        panel.nodeId = text;
    }
    panel.timer = vars.Lookup("Timer", v) ? std::to_string(static_cast<int32_t>(v)) : std::string();
    panel.timerLong = vars.Lookup("TimerLong", v) ? std::to_string(static_cast<int32_t>(v)) : std::string();
    return panel;
}

std::string HistoryCaption(size_t index, const std::string& path) { return std::to_string(index + 1) + ": " + path; }

std::string MessageDisplayText(const std::string& text) { return TerminalText(text); }

std::string NoticeDisplayText(const std::string& text) {
    const std::string lines = TerminalText(text);
    std::string out;
    out.reserve(lines.size());
    for (char c : lines) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\n' && c != '\t') || u == 0x7F)
            out += "\xEF\xBF\xBD";
        else
            out.push_back(c);
    }
    return out;
}
