// "SDO_DownInit": the segmented download of a string or a hex text file, and its continuation.

#include <algorithm>
#include <vector>

#include "MiscFrames.h"
#include "ScriptRun.h"
#include "SdoAnswer.h"
#include "SdoCommands.h"
#include "SdoHexFile.h"
#include "SdoRequest.h"
#include "SdoTransfer.h"
#include "StringHelpers.h"

namespace {
enum class DataResult { Ok, BadParameter, TooLong };

// Parameter 3 holds the data as a quoted string, "\0" standing for a byte 0.
bool QuotedData(const std::string& param, std::string& data) {
    const std::string_view text = ParamValue(param);
    if (text.empty() || text[0] != '"') return false;
    const size_t close = text.find('"', 1);
    if (close == std::string_view::npos) return false;
    data.assign(text.substr(1, close - 1));
    ExpandEscapedZeros(data);
    return true;
}

// Fills the download buffer from the hex text file named in parameter 4 ("File:"), or else from
// the string of parameter 3.
DataResult PrepareData(const TestInstruction& instruction, SdoTransfer& t) {
    if (instruction.param4.find("File:") != std::string::npos) {
        std::vector<uint8_t> bytes;
        if (!ReadHexTextFile(TestRelativePath(QuotedFileName(instruction.param4)), bytes))
            return DataResult::BadParameter;
        if (bytes.size() > kSdoBufferBytes) return DataResult::TooLong;
        std::copy(bytes.begin(), bytes.end(), t.download.begin());
        t.downloadLength = bytes.size();
        return DataResult::Ok;
    }
    std::string data;
    if (!QuotedData(instruction.param3, data)) return DataResult::BadParameter;
    if (data.size() > kSdoBufferBytes) return DataResult::TooLong;
    std::copy(data.begin(), data.end(), t.download.begin());
    t.downloadLength = data.size();
    return DataResult::Ok;
}

const char* DataRemark(DataResult r) {
    return r == DataResult::TooLong ? " !falsche Datenlaenge" : " !Falsche Parameter";
}

constexpr SdoStepRules kRules{SendDownloadSegment, false, false};

bool DownloadStep(TestInstruction& instruction) {
    SdoTransfer& t = CurrentSdoTransfer();
    ProtocolLine& line = CurrentRun().protocolLine;
    tagOPEN_Message answer;
    if (auto done = BeginSdoStep(instruction, kRules, t.downloadNext, answer)) return *done;

    const uint8_t b0 = answer.data[0];
    switch (b0 & 0xE3) {
    case 0x20:  // segment confirmed
        if (((b0 >> 4) & 0x01) != t.toggle) {
            line.commandText += " !Togglebit Fehler";
            line.status = STATUS_SDO_ERROR;
            return AbortOnNextCall(t.downloadNext);
        }
        line.commandText = "SDO_DownSegment_Res";
        t.toggle ^= 1;
        t.downloadPosition = std::min(t.downloadPosition + t.segmentBytes, t.downloadLength);
        t.segmentBytes = 0;
        if (t.downloadPosition < t.downloadLength) {
            t.downloadNext = SdoNextAction::SendSegment;
            return false;
        }
        // The device took every byte: an expected abort did not come.
        if (ExpectsSdoError(instruction)) line.status = STATUS_ERR_ANS;
        return FinishSdoStep();
    case 0x60: {  // initiate confirmed
        ShowSdoMultiplexer(line, answer);
        if (!CheckSdoMultiplexer(line, answer)) return AbortOnNextCall(t.downloadNext);
        const DataResult data = PrepareData(instruction, t);
        if (data == DataResult::BadParameter) {
            line.commandText += DataRemark(data);
            line.status = STATUS_ERR_SYN;
            return FinishSdoStep();
        }
        if (data == DataResult::TooLong) {
            line.commandText += DataRemark(data);
            line.status = STATUS_SDO_ERROR;
            return AbortOnNextCall(t.downloadNext);
        }
        t.downloadPosition = 0;
        t.segmentBytes = 0;
        t.toggle = 0;
        line.extraText1.clear();
        line.extraText2.clear();
        t.downloadNext = SdoNextAction::SendSegment;
        return false;
    }
    case 0x80: {  // abort by the device
        ShowSdoMultiplexer(line, answer);
        if (!CheckSdoMultiplexer(line, answer)) return AbortOnNextCall(t.downloadNext);
        const uint32_t code = SdoAnswerValue(answer);
        if (!ExpectsSdoError(instruction)) {
            line.valueText = FormatValue("0x%08x", code);
            line.valueShown = true;
            line.status = STATUS_ERR_ANS;
            return FinishSdoStep();
        }
        JudgeSdoAbort(line, instruction, code, "  !falscher Abbruchcode");
        return FinishSdoStep();
    }
    default:
        line.commandText = "unbekannte Antwort";
        line.status = STATUS_SDO_ERROR;
        return AbortOnNextCall(t.downloadNext);
    }
}
}  // namespace

bool CmdSdoDownInit(TestInstruction& instruction) {
    ScriptRun& run = CurrentRun();
    ProtocolLine& line = run.protocolLine;
    tagOPEN_Message request = MakeDataFrame(0, 8);
    if (!BuildSdoRequestHeader(instruction, request, line)) return true;
    const std::string_view text = ParamValue(instruction.param3);
    SdoTransfer& t = CurrentSdoTransfer();
    DataResult data = DataResult::BadParameter;
    if (!text.empty() && text[0] == '"') data = PrepareData(instruction, t);
    if (data != DataResult::Ok) {
        line.commandText += DataRemark(data);
        line.status = STATUS_ERR_SYN;
        return true;
    }
    const auto length = static_cast<uint32_t>(t.downloadLength);
    request.data[0] = 0x21;
    for (int i = 0; i < 4; ++i) request.data[4 + i] = static_cast<uint8_t>(length >> (8 * i));
    line.valueText = FormatValue("0x%x", length);
    line.valueShown = true;
    t.downloadPosition = 0;
    t.segmentBytes = 0;
    t.toggle = 0;
    t.downloadNext = SdoNextAction::Judge;
    SendSdoInitiate(line, request);
    line.status = STATUS_OK;
    run.pendingStep = DownloadStep;
    return true;
}
