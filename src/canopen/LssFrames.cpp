#include "LssFrames.h"

#include "MiscFrames.h"

void SendLssRequest(ProtocolLine& line, uint8_t specifier, uint32_t value) {
    tagOPEN_Message msg = MakeDataFrame(kLssRequestId, 8,
                                        {specifier, static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                         static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24), 0, 0, 0});
    line.valueText = FormatValue("0x%04x", value);
    line.valueShown = true;
    line.status = STATUS_OK;
    SendAndShow(line, msg);
}

bool CheckLssAnswer(ProtocolLine& line, const tagOPEN_Message& answer, uint8_t specifier, bool carriesData) {
    bool ok = true;
    auto fail = [&](const char* text) {
        line.commandText += "  !";
        line.commandText += text;
        line.status = STATUS_LSS_ERROR;
        ok = false;
    };
    if (answer.id != kLssAnswerId) fail(kLssWrongId);
    if (answer.dlc != 8) fail(kLssWrongLength);
    if (answer.data[0] != specifier || answer.data[5] != 0 || answer.data[6] != 0 || answer.data[7] != 0)
        fail(kLssUnexpected);
    if (!carriesData && LssAnswerValue(answer) != 0) fail(kLssUnexpected);
    return ok;
}

uint32_t LssAnswerValue(const tagOPEN_Message& answer) {
    return static_cast<uint32_t>(answer.data[1]) | static_cast<uint32_t>(answer.data[2]) << 8 |
           static_cast<uint32_t>(answer.data[3]) << 16 | static_cast<uint32_t>(answer.data[4]) << 24;
}
