#include "CanopenDecode.h"

#include <cstdio>

namespace {
const char* NmtCommandName(uint8_t cs) {
    switch (cs) {
        case 0x01: return "start";
        case 0x02: return "stop";
        case 0x80: return "pre-operational";
        case 0x81: return "reset node";
        case 0x82: return "reset communication";
        default: return nullptr;
    }
}

const char* NodeStateName(uint8_t state) {
    switch (state & 0x7F) {
        case 0x00: return "boot-up";
        case 0x04: return "stopped";
        case 0x05: return "operational";
        case 0x7F: return "pre-operational";
        default: return nullptr;
    }
}

const char* SdoRequestName(uint8_t b0) {
    switch (b0 >> 5) {
        case 0: return "download segment";
        case 1: return "download";
        case 2: return "upload";
        case 3: return "upload segment";
        case 4: return "abort";
        case 5: return "block upload";
        case 6: return "block download";
        default: return nullptr;
    }
}

const char* SdoAnswerName(uint8_t b0) {
    switch (b0 >> 5) {
        case 0: return "upload segment";
        case 1: return "download segment";
        case 2: return "upload";
        case 3: return "download";
        case 4: return "abort";
        case 5: return "block download";
        case 6: return "block upload";
        default: return nullptr;
    }
}

const char* LssName(uint8_t cs) {
    switch (cs) {
        case 0x04: return "switch global";
        case 0x11: return "configure node id";
        case 0x13: return "configure bit timing";
        case 0x15: return "activate bit timing";
        case 0x17: return "store configuration";
        case 0x40: return "switch selective vendor";
        case 0x41: return "switch selective product";
        case 0x42: return "switch selective revision";
        case 0x43: return "switch selective serial";
        case 0x44: return "switch selective answer";
        case 0x46: return "identify vendor";
        case 0x47: return "identify product";
        case 0x48: return "identify revision low";
        case 0x49: return "identify revision high";
        case 0x4A: return "identify serial low";
        case 0x4B: return "identify serial high";
        case 0x4C: return "identify non-configured";
        case 0x4F: return "identify answer";
        case 0x50: return "non-configured answer";
        case 0x5A: return "inquire vendor";
        case 0x5B: return "inquire product";
        case 0x5C: return "inquire revision";
        case 0x5D: return "inquire serial";
        case 0x5E: return "inquire node id";
        default: return nullptr;
    }
}

uint32_t U32(const uint8_t* d) {
    return d[0] | (d[1] << 8) | (d[2] << 16) | (static_cast<uint32_t>(d[3]) << 24);
}

std::string Sdo(bool answer, uint32_t node, uint32_t dlc, const uint8_t* d) {
    char buf[96];
    const char* kind = answer ? "SDO answer" : "SDO request";
    if (dlc < 1) {
        std::snprintf(buf, sizeof buf, "%s node %u", kind, node);
        return buf;
    }
    const char* name = answer ? SdoAnswerName(d[0]) : SdoRequestName(d[0]);
    if (!name) {
        std::snprintf(buf, sizeof buf, "%s node %u: command 0x%02X", kind, node, d[0]);
        return buf;
    }
    const uint8_t cmd = d[0] >> 5;
    const bool initiate = answer ? (cmd == 2 || cmd == 3) : (cmd == 1 || cmd == 2);
    const bool segment = !initiate && cmd <= 3;
    if (segment) {
        std::snprintf(buf, sizeof buf, "%s node %u: %s toggle %d%s", kind, node, name, (d[0] >> 4) & 1,
                      (cmd == 0 && (d[0] & 1)) ? " last" : "");
        return buf;
    }
    if (dlc < 4) {
        std::snprintf(buf, sizeof buf, "%s node %u: %s", kind, node, name);
        return buf;
    }
    const unsigned index = d[1] | (d[2] << 8);
    const unsigned sub = d[3];
    if (cmd == 4) {
        std::snprintf(buf, sizeof buf, "%s node %u: abort 0x%04X:%02X code 0x%08X", kind, node, index, sub,
                      dlc >= 8 ? U32(d + 4) : 0u);
        return buf;
    }
    // An expedited transfer with its size indicated carries its value.
    const bool valueHere = (answer ? cmd == 2 : cmd == 1) && (d[0] & 0x02) && (d[0] & 0x01) && dlc >= 8;
    if (valueHere) {
        const int size = 4 - ((d[0] >> 2) & 3);
        uint32_t v = 0;
        for (int i = size - 1; i >= 0; --i) v = (v << 8) | d[4 + i];
        std::snprintf(buf, sizeof buf, "%s node %u: %s 0x%04X:%02X = 0x%0*X", kind, node, name, index, sub, size * 2, v);
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%s node %u: %s 0x%04X:%02X", kind, node, name, index, sub);
    return buf;
}
}  // namespace

std::string DecodeCanopenFrame(uint32_t id, bool remote, uint32_t dlc, const uint8_t* data) {
    if (dlc > 8) dlc = 8;
    char buf[96];
    if (id == 0x000) {
        if (dlc < 2) return "NMT";
        const char* name = NmtCommandName(data[0]);
        if (!name) {
            std::snprintf(buf, sizeof buf, "NMT command 0x%02X", data[0]);
            return buf;
        }
        if (data[1] == 0)
            std::snprintf(buf, sizeof buf, "NMT %s all nodes", name);
        else
            std::snprintf(buf, sizeof buf, "NMT %s node %u", name, data[1]);
        return buf;
    }
    if (id == 0x080) return "Sync";
    if (id == 0x100) return "Time";
    if (id == 0x7E5 || id == 0x7E4) {
        const char* kind = id == 0x7E5 ? "LSS request" : "LSS answer";
        const char* name = dlc >= 1 ? LssName(data[0]) : nullptr;
        if (!name) return kind;
        std::snprintf(buf, sizeof buf, "%s: %s", kind, name);
        return buf;
    }
    const uint32_t node = id & 0x7F;
    const uint32_t function = id & 0x780;
    if (node == 0 || id > 0x7FF) return {};
    switch (function) {
        case 0x080:
            if (dlc >= 2)
                std::snprintf(buf, sizeof buf, "EMCY node %u: 0x%04X", node, data[0] | (data[1] << 8));
            else
                std::snprintf(buf, sizeof buf, "EMCY node %u", node);
            return buf;
        case 0x180: case 0x280: case 0x380: case 0x480:
            std::snprintf(buf, sizeof buf, "TPDO%u node %u%s", (function - 0x180) / 0x100 + 1, node, remote ? " request" : "");
            return buf;
        case 0x200: case 0x300: case 0x400: case 0x500:
            std::snprintf(buf, sizeof buf, "RPDO%u node %u", (function - 0x200) / 0x100 + 1, node);
            return buf;
        case 0x580: return Sdo(true, node, dlc, data);
        case 0x600: return Sdo(false, node, dlc, data);
        case 0x700: {
            if (remote) {
                std::snprintf(buf, sizeof buf, "Guarding request node %u", node);
                return buf;
            }
            if (dlc != 1) return {};
            if ((data[0] & 0x7F) == 0) {
                std::snprintf(buf, sizeof buf, "Boot-up node %u", node);
                return buf;
            }
            const char* state = NodeStateName(data[0]);
            if (!state) std::snprintf(buf, sizeof buf, "Heartbeat node %u: state 0x%02X", node, data[0] & 0x7F);
            else if (data[0] & 0x80) std::snprintf(buf, sizeof buf, "Guarding node %u: %s, toggle 1", node, state);
            else std::snprintf(buf, sizeof buf, "Heartbeat node %u: %s", node, state);
            return buf;
        }
        default: return {};
    }
}
