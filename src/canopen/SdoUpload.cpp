// "SDO_UpInit": the upload request and its continuation.

#include <algorithm>
#include <vector>

#include "Expressions.h"
#include "MiscFrames.h"
#include "NamedValueList.h"
#include "ScriptRun.h"
#include "SdoAnswer.h"
#include "SdoCommands.h"
#include "SdoHexFile.h"
#include "SdoRequest.h"
#include "SdoTransfer.h"
#include "StringHelpers.h"

namespace {
// An expected field without ":" that is no keyword form names no value; an answer that
// arrived against it does not meet it.
bool HasNoValueForm(const std::string& expected) { return expected.find(':') == std::string::npos; }

// Expedited answer: judged against the expected value and byte count, or captured.
void JudgeExpedited(ProtocolLine& line, const TestInstruction& instruction, uint32_t value, uint32_t n) {
    const std::string& expected = instruction.expectedId;
    if (expected.empty()) return;
    if (ExpectsSdoError(instruction)) {
        line.status = STATUS_ERR_ANS;
        return;
    }
    if (expected[0] == '&') {
        const std::string name = expected.substr(1);
        if (name.empty()) {
            line.commandText = "unknown command";
            line.status = STATUS_ERR_SYN;
            return;
        }
        ScriptVariables().Set(name, value);
        return;
    }
    if (HasNoValueForm(expected)) {
        line.status = STATUS_ERR_ANS;
        return;
    }
    int32_t want = 0;
    uint32_t rc = EvalExpression(expected, want);
    if (rc == EXPR_EMPTY) want = static_cast<int32_t>(value);
    int32_t wantLength = static_cast<int32_t>(n);
    if (rc != EXPR_SYNTAX && !instruction.expectedLen.empty()) {
        const uint32_t lenRc = EvalExpression(instruction.expectedLen, wantLength);
        if (lenRc == EXPR_EMPTY) wantLength = static_cast<int32_t>(n);
        if (lenRc == EXPR_SYNTAX) rc = EXPR_SYNTAX;
    }
    if (rc == EXPR_SYNTAX) {
        line.commandText = "unknown command";
        line.status = STATUS_ERR_SYN;
    } else if (static_cast<uint32_t>(want) != value) {
        line.status = STATUS_ERR_ANS;
    } else if (static_cast<uint32_t>(wantLength) != n) {
        line.commandText += "  !Data length";
        line.status = STATUS_ERR_ANS;
    }
}

// The whole segmented upload, judged against the expected field.
uint32_t JudgeSegmented(const TestInstruction& instruction, std::span<const uint8_t> data) {
    const std::string& expected = instruction.expectedId;
    if (expected.empty()) return STATUS_OK;
    if (ExpectsSdoError(instruction)) return STATUS_ERR_ANS;
    if (expected.starts_with("File:")) {
        std::vector<uint8_t> file;
        if (!ReadHexTextFile(TestRelativePath(QuotedFileName(expected)), file)) return STATUS_ERR_ANS;
        // A file longer than the data can never match.
        if (file.size() > data.size()) return STATUS_ERR_ANS;
        return std::equal(file.begin(), file.end(), data.begin()) ? STATUS_OK : STATUS_ERR_ANS;
    }
    if (expected.starts_with("FileOut:"))
        return WriteHexTextFile(TestRelativePath(QuotedFileName(expected)), data) ? STATUS_OK : STATUS_ERR_ANS;
    if (HasNoValueForm(expected)) return STATUS_ERR_ANS;
    const std::string_view text = ParamValue(expected);
    if (text.empty()) return STATUS_OK;
    if (text[0] != '"') return STATUS_ERR_SYN;
    const std::string_view quoted = text.substr(1, text.find('"', 1) - 1);
    if (quoted.empty()) return STATUS_OK;
    return quoted == SdoAsciiText(data) ? STATUS_OK : STATUS_ERR_ANS;
}

bool JudgeSegment(ProtocolLine& line, const TestInstruction& instruction, SdoTransfer& t,
                  const tagOPEN_Message& answer) {
    const uint8_t b0 = answer.data[0];
    const size_t n = 7u - ((b0 >> 1) & 0x07);
    line.commandText = "SDO_UpSeg_Res";
    // The buffer's end is the transfer's end, whatever the device announced or sends.
    if (t.uploadCount + n > kSdoBufferBytes) {
        line.commandText += " !falsche Datenlaenge";
        line.status = STATUS_SDO_ERROR;
        return AbortOnNextCall(t.uploadNext);
    }
    const auto segment = std::span(answer.data).subspan(1, n);
    std::copy(segment.begin(), segment.end(), t.upload.begin() + static_cast<std::ptrdiff_t>(t.uploadCount));
    t.uploadCount += n;
    line.asciiText = SdoAsciiText(segment);
    const auto received = std::span<const uint8_t>(t.upload).first(t.uploadCount);

    if (!(b0 & 0x01)) {
        if (t.uploadCount > t.announcedSize) {
            line.commandText += " !falsche Datenlaenge";
            line.asciiText = SdoAsciiText(received);
            line.status = STATUS_SDO_ERROR;
            return AbortOnNextCall(t.uploadNext);
        }
        if (((b0 >> 4) & 0x01) != t.toggle) {
            line.commandText += " !Togglebit Fehler";
            line.status = STATUS_SDO_ERROR;
            return AbortOnNextCall(t.uploadNext);
        }
        t.toggle ^= 1;
        t.uploadNext = SdoNextAction::SendSegment;
        return false;
    }
    line.commandText += "_Last";
    if (t.announcedSize != 0 && t.announcedSize != t.uploadCount) {
        line.commandText += " !falsche Datenlaenge";
        line.status = STATUS_SDO_ERROR;
        return FinishSdoStep();
    }
    line.status = JudgeSegmented(instruction, received);
    return FinishSdoStep();
}

constexpr SdoStepRules kRules{SendUploadSegmentRequest, true, true};

bool UploadStep(TestInstruction& instruction) {
    SdoTransfer& t = CurrentSdoTransfer();
    ProtocolLine& line = CurrentRun().protocolLine;
    tagOPEN_Message answer;
    if (auto done = BeginSdoStep(instruction, kRules, t.uploadNext, answer)) return *done;

    const uint8_t b0 = answer.data[0];
    switch (b0 & 0xE3) {
    case 0x40:
    case 0x41: {  // segmented upload initiated
        ShowSdoMultiplexer(line, answer);
        if (!CheckSdoMultiplexer(line, answer)) return AbortOnNextCall(t.uploadNext);
        t.announcedSize = 0;
        if (b0 & 0x01) {
            const uint32_t size = SdoAnswerValue(answer);
            if (size != 0) {
                line.valueText = FormatValue("%d", size);
                line.valueShown = true;
            }
            // More than the buffer holds is refused before any byte is stored.
            if (size == 0 || size > kSdoBufferBytes) {
                line.commandText = "falsche Datenlaenge";
                line.status = STATUS_SDO_ERROR;
                return AbortOnNextCall(t.uploadNext);
            }
            t.announcedSize = size;
        }
        t.upload.fill(0);
        t.uploadCount = 0;
        t.toggle = 0;
        line.status = ExpectsSdoError(instruction) ? STATUS_ERR_ANS : STATUS_OK;
        t.uploadNext = SdoNextAction::SendSegment;
        return false;
    }
    case 0x42:
    case 0x43: {  // expedited upload
        ShowSdoMultiplexer(line, answer);
        if (!CheckSdoMultiplexer(line, answer)) return AbortOnNextCall(t.uploadNext);
        const uint32_t n = (b0 & 0x01) ? 4u - ((b0 >> 2) & 0x03) : 4u;
        uint32_t value = 0;
        for (uint32_t i = 0; i < n; ++i) value |= static_cast<uint32_t>(answer.data[4 + i]) << (8 * i);
        line.valueText = FormatValue("%d", value);
        line.valueShown = true;
        line.asciiText = SdoAsciiText(std::span(answer.data).subspan(4, n));
        JudgeExpedited(line, instruction, value, n);
        return FinishSdoStep();
    }
    case 0x00:
    case 0x01:
    case 0x03:  // upload segment
        return JudgeSegment(line, instruction, t, answer);
    case 0x80: {  // abort by the device
        line.commandText = "SDO_Abort: ";
        ShowSdoMultiplexer(line, answer);
        if (!CheckSdoMultiplexer(line, answer)) return FinishSdoStep();
        JudgeSdoAbort(line, instruction, SdoAnswerValue(answer), "falscher Abbruchcode");
        return FinishSdoStep();
    }
    default:
        line.commandText = "unbekannte Antwort";
        line.status = STATUS_SDO_ERROR;
        return FinishSdoStep();
    }
}
}  // namespace

bool CmdSdoUpInit(TestInstruction& instruction) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    tagOPEN_Message request = MakeDataFrame(0, 8);
    if (!BuildSdoRequestHeader(instruction, request, line)) return true;
    SdoTransfer& t = CurrentSdoTransfer();
    t.uploadCount = 0;
    t.announcedSize = 0;
    t.toggle = 0;
    t.uploadNext = SdoNextAction::Judge;
    SendSdoInitiate(line, request);
    line.status = STATUS_OK;
    run.pendingStep = UploadStep;
    return true;
}
