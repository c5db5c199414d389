#include "LssSlave.h"

#include "CanSettings.h"
#include "SimBytes.h"

namespace {
BusFrame LssAnswer(uint8_t cs) {
    BusFrame f;
    f.id = kLssSlaveId;
    f.len = 8;
    f.data[0] = cs;
    return f;
}

BusFrame LssValueAnswer(uint8_t cs, uint32_t value) {
    BusFrame f = LssAnswer(cs);
    PutLe32(f.data, 1, value);
    return f;
}

BusFrame LssErrorAnswer(uint8_t cs, uint8_t error) {
    BusFrame f = LssAnswer(cs);
    f.data[1] = error;
    return f;
}
}  // namespace

void LssSlave::Reset() {
    configuration_ = false;
    selectStep_ = 0;
    identifyStep_ = 0;
}

LssOutcome LssSlave::Handle(const BusFrame& r, LssContext& c) {
    LssOutcome out;
    if (r.id != kLssMasterId || r.rtr || r.len != 8) return out;
    const uint8_t cs = r.data[0];
    const uint32_t value = GetLe32(r.data, 1);
    const LssIdentity& id = c.identity;
    switch (cs) {
    case 0x04:  // switch state global
        if (r.data[1] == 1) {
            configuration_ = true;
        } else if (r.data[1] == 0) {
            configuration_ = false;
            out.switchedToWaiting = true;
        }
        selectStep_ = 0;
        break;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43: {
        const uint32_t expected[] = {id.vendorId, id.productCode, id.revision, id.serial};
        const int step = cs - 0x40;
        // A vendor id that matches always begins a new sequence.
        if (step == 0) selectStep_ = 0;
        if (step == selectStep_ && value == expected[step]) {
            selectStep_ = step + 1;
            if (selectStep_ == 4) {
                selectStep_ = 0;
                configuration_ = true;
                out.answer = LssAnswer(0x44);
            }
        } else {
            selectStep_ = 0;
        }
        break;
    }
    case 0x46:
    case 0x47:
    case 0x48:
    case 0x49:
    case 0x4A:
    case 0x4B: {
        const int step = cs - 0x46;
        if (step == 0) identifyStep_ = 0;
        bool ok = step == identifyStep_;
        switch (step) {
        case 0: ok = ok && value == id.vendorId; break;
        case 1: ok = ok && value == id.productCode; break;
        case 2: ok = ok && id.revision >= value; break;
        case 3: ok = ok && id.revision <= value; break;
        case 4: ok = ok && id.serial >= value; break;
        case 5: ok = ok && id.serial <= value; break;
        }
        identifyStep_ = ok ? step + 1 : 0;
        if (identifyStep_ == 6) {
            identifyStep_ = 0;
            out.answer = LssAnswer(0x4F);
        }
        break;
    }
    case 0x4C:
        if (c.pendingNodeId == kLssUnconfigured) out.answer = LssAnswer(0x50);
        break;
    default:
        break;
    }
    if (!configuration_ || cs == 0x04 || (cs >= 0x40 && cs <= 0x4C)) return out;

    // Services of the configuration state.
    switch (cs) {
    case 0x11: {
        const uint8_t node = r.data[1];
        if ((node >= 1 && node <= 127) || node == kLssUnconfigured) {
            c.pendingNodeId = node;
            out.answer = LssErrorAnswer(0x11, 0);
        } else {
            out.answer = LssErrorAnswer(0x11, 1);
        }
        break;
    }
    case 0x13:
        if (r.data[1] == 0 && CanIndexToBitRate(r.data[2]) > 0) {
            c.pendingBitIndex = r.data[2];
            out.answer = LssErrorAnswer(0x13, 0);
        } else {
            out.answer = LssErrorAnswer(0x13, 1);
        }
        break;
    case 0x15:
        out.activateBitTiming = true;
        out.switchDelayMs = GetLe16(r.data, 1);
        break;
    case 0x17:
        out.answer = LssErrorAnswer(0x17, c.store ? c.store() : 1);
        break;
    case 0x5A: out.answer = LssValueAnswer(0x5A, id.vendorId); break;
    case 0x5B: out.answer = LssValueAnswer(0x5B, id.productCode); break;
    case 0x5C: out.answer = LssValueAnswer(0x5C, id.revision); break;
    case 0x5D: out.answer = LssValueAnswer(0x5D, id.serial); break;
    case 0x5E: out.answer = LssValueAnswer(0x5E, c.activeNodeId); break;
    default: break;
    }
    return out;
}
