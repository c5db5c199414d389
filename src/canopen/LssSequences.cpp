// The selective switch and the identify-remote-slave sequences. Both send one frame per tick:
// their identity frames, then a final tick that judges the confirmation. The verifying
// variants first run one round for each identity value made wrong (rounds 1 to 4), in which no
// device may answer, and finish with the round of correct values (round 0).

#include <algorithm>
#include <array>

#include "LssCommands.h"
#include "LssFrames.h"
#include "MiscFrames.h"
#include "NamedValueList.h"
#include "ScriptRun.h"

namespace {
constexpr int kRounds = 5;
constexpr uint32_t kSpoil = 10;  // how far a value is moved to make it wrong

struct SequenceKind {
    size_t frames;
    std::array<uint8_t, 6> specifiers;
    std::array<const char*, 6> rowTexts;
    uint8_t confirmation;
    size_t zeroBytesTo;  // bytes 1 .. zeroBytesTo of the confirmation must be zero
    const char* successText;
    const char* unexpectedText;
};

constexpr SequenceKind kSelect{
    4,
    {0x40, 0x41, 0x42, 0x43, 0, 0},
    {"LSS_Switch_Select Vendor Id", "    Produkt Id", "    Revisions Nummer", "    Serien Nummer", "", ""},
    0x44,
    5,
    "LSS Switch Selectiv Ende",
    " LSS selective unerwartete Antwort",
};

constexpr SequenceKind kIdentify{
    6,
    {0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B},
    {"LSS_Ident_Remote_Slave Vendor Id", "    Produkt Id", "    Revisions Nummer Low",
     "    Revisions Nummer High", "    Serien Nummer Low", "    Serien Nummer High"},
    0x4F,
    7,
    "LSS Remote Slave Ende",
    " LSS Remote Slave unerwartete Antwort",
};

constexpr std::array<const char*, kRounds> kFinalTexts{
    "     Ende",
    "     Ende falsche Vendor Id keine Antwort",
    "     Ende falsche Produkt Id keine Antwort",
    "     Ende falsche Revisionsnummer keine Antwort",
    "     Ende falsche Seriennummer keine Antwort",
};

struct Identity {
    uint32_t vendor = 0, product = 0, revision = 0, serial = 0;
};

struct SequenceState {
    Identity identity;  // read when the sequence starts
    int round = 0;
    size_t step = 0;  // frames of this round sent so far
    std::array<uint32_t, 6> values{};
};
SequenceState selectState;
SequenceState identifyState;

// Range bounds stop at the ends of the 32-bit range instead of wrapping round, so a device with
// a small (or a very large) revision or serial number is still inside its range.
uint32_t Minus(uint32_t v, uint32_t d) { return v > d ? v - d : 0; }
uint32_t Plus(uint32_t v, uint32_t d) { return v < 0xFFFFFFFFu - d ? v + d : 0xFFFFFFFFu; }

// The values of a round: round 0 all correct, round r the r-th identity value made wrong.
// Exact values are moved with wrap-round, which never makes them equal to the right one.
std::array<uint32_t, 6> RoundValues(const SequenceKind& kind, const Identity& id, int round) {
    const uint32_t vendor = round == 1 ? id.vendor + kSpoil : id.vendor;
    const uint32_t product = round == 2 ? id.product + kSpoil : id.product;
    if (&kind == &kSelect) {
        return {vendor, product, round == 3 ? id.revision + kSpoil : id.revision,
                round == 4 ? id.serial + kSpoil : id.serial, 0, 0};
    }
    std::array<uint32_t, 6> v{vendor, product, Minus(id.revision, kSpoil), Plus(id.revision, kSpoil),
                              Minus(id.serial, kSpoil), Plus(id.serial, kSpoil)};
    if (round == 3) {
        v[2] = Plus(id.revision, kSpoil);
        v[3] = Plus(id.revision, 4 * kSpoil);
    } else if (round == 4) {
        v[4] = Minus(id.serial, 3 * kSpoil);
        v[5] = Minus(id.serial, kSpoil);
    }
    return v;
}

SequenceState& StateOf(const SequenceKind& kind) { return &kind == &kSelect ? selectState : identifyState; }

void SendStep(const SequenceKind& kind, SequenceState& s) {
    ProtocolLine& line = CurrentRun().protocolLine;
    line.commandText = kind.rowTexts[s.step];
    SendLssRequest(line, kind.specifiers[s.step], s.values[s.step]);
    ++s.step;
}

void StartRound(const SequenceKind& kind, SequenceState& s) {
    s.step = 0;
    s.values = RoundValues(kind, s.identity, s.round);
    SendStep(kind, s);
}

void Finish(SequenceState& s) {
    s = SequenceState{};
    CurrentRun().pendingStep = nullptr;
}

// The confirmation of round 0: identifier, length, specifier and zero bytes; each failure
// replaces the row text.
bool CheckConfirmation(const SequenceKind& kind, ProtocolLine& line, const tagOPEN_Message& answer) {
    bool ok = true;
    auto fail = [&](const char* text) {
        line.commandText = text;
        line.status = STATUS_LSS_ERROR;
        ok = false;
    };
    if (answer.id != kLssAnswerId) fail(kLssWrongId);
    if (answer.dlc != 8) fail(kLssWrongLength);
    bool zeros = true;
    for (size_t i = 1; i <= kind.zeroBytesTo; ++i) zeros = zeros && answer.data[i] == 0;
    if (answer.data[0] != kind.confirmation || !zeros) fail(kLssUnexpected);
    return ok;
}

void FinalStep(const SequenceKind& kind, SequenceState& s, const TestInstruction& instruction) {
    ProtocolLine& line = CurrentRun().protocolLine;
    line.commandText = kFinalTexts[static_cast<size_t>(s.round)];
    line.transmit = false;
    line.valueShown = false;
    line.status = STATUS_OK;
    line.rowTime = HrTimeNow();
    tagOPEN_Message answer;
    const bool received = ReadLastAnswer(answer);
    if (received) ShowFrame(line, answer);
    else ClearProtocolLine(line);

    if (s.round != 0) {
        if (received) {
            line.commandText = kind.unexpectedText;
            line.status = STATUS_LSS_ERROR;
            Finish(s);
            return;
        }
        // Silence is right: the next round starts on the next tick.
        s.round = (s.round + 1) % kRounds;
        s.step = 0;
        return;
    }
    if (!received) {
        line.commandText += " !";
        line.commandText += kLssNoAnswer;
        line.status = ExpectsNone(instruction) ? STATUS_OK : STATUS_LSS_ERROR;
    } else if (CheckConfirmation(kind, line, answer)) {
        line.commandText = kind.successText;
        line.status = ExpectsNone(instruction) ? STATUS_ERR_ANS : STATUS_OK;
    }
    Finish(s);
}

bool SequenceStep(const SequenceKind& kind, TestInstruction& instruction) {
    SequenceState& s = StateOf(kind);
    if (s.step == 0) {
        StartRound(kind, s);
        return true;
    }
    if (s.step < kind.frames) {
        tagOPEN_Message answer;
        if (ReadLastAnswer(answer)) {
            ProtocolLine& line = CurrentRun().protocolLine;
            line.commandText += " !";
            line.commandText += kLssUnexpected;
            line.transmit = false;
            line.valueShown = false;
            line.rowTime = HrTimeNow();
            ShowFrame(line, answer);
            line.status = STATUS_LSS_ERROR;
            Finish(s);
            return true;
        }
        SendStep(kind, s);
        return true;
    }
    FinalStep(kind, s, instruction);
    return true;
}

bool StartSequence(const SequenceKind& kind, bool verify) {
    SequenceState& s = StateOf(kind);
    s = SequenceState{};
    const NamedValueList& vars = ScriptVariables();
    s.identity = {vars.Get("VendorId"), vars.Get("ProdCode"), vars.Get("RevNr"), vars.Get("SerialNr")};
    s.round = verify ? 1 : 0;
    StartRound(kind, s);
    CurrentRun().pendingStep = [&kind](TestInstruction& record) { return SequenceStep(kind, record); };
    return true;
}
}  // namespace

bool CmdLssSwitchSelect(TestInstruction&, bool verify) { return StartSequence(kSelect, verify); }

bool CmdLssIdentRemoteSlave(TestInstruction&, bool verify) { return StartSequence(kIdentify, verify); }

void ResetLssSequences() {
    selectState = SequenceState{};
    identifyState = SequenceState{};
}
