#include "SimBusProtocol.h"

#include <QDir>
#include <QtGlobal>
#include <bit>
#include <charconv>
#include <cstdio>

#include "CanSettings.h"

namespace {
uint32_t ReadHostU32(std::span<const uint8_t> p) {
    uint32_t v = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (int i = 3; i >= 0; --i) v = (v << 8) | p[static_cast<size_t>(i)];
    } else {
        for (int i = 0; i < 4; ++i) v = (v << 8) | p[static_cast<size_t>(i)];
    }
    return v;
}

void WriteHostU32(std::array<uint8_t, kSimBusFrameBytes>& p, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) {
        const size_t at = std::endian::native == std::endian::little ? i : 3 - i;
        p[at] = static_cast<uint8_t>(v >> (8 * i));
    }
}

SimBusPacket Invalid(std::string why) {
    SimBusPacket p;
    p.kind = SimBusPacket::Kind::Invalid;
    p.text = std::move(why);
    return p;
}
}  // namespace

std::array<uint8_t, kSimBusFrameBytes> EncodeSimBusFrame(const BusFrame& f) {
    std::array<uint8_t, kSimBusFrameBytes> p{};
    WriteHostU32(p, (f.id & 0x7FF) | (f.rtr ? kSimBusRtrFlag : 0));
    p[4] = f.len > 8 ? 8 : f.len;
    if (!f.rtr)
        for (size_t i = 0; i < 8; ++i) p[8 + i] = i < p[4] ? f.data[i] : 0;
    return p;
}

SimBusPacket DecodeSimBusPacket(std::span<const uint8_t> p) {
    if (p.size() == kSimBusFrameBytes) {
        const uint32_t canId = ReadHostU32(p.subspan(0, 4));
        if (canId & kSimBusEffFlag) return Invalid("extended frame");
        if (canId & kSimBusErrFlag) return Invalid("error frame");
        if ((canId & 0x1FFFFFFFu) > 0x7FF) return Invalid("identifier above 0x7FF");
        if (p[4] > 8) return Invalid("length above 8");
        SimBusPacket out;
        out.kind = SimBusPacket::Kind::Frame;
        out.frame.id = canId & 0x7FF;
        out.frame.rtr = canId & kSimBusRtrFlag;
        out.frame.len = p[4];
        if (!out.frame.rtr)
            for (size_t i = 0; i < out.frame.len; ++i) out.frame.data[i] = p[8 + i];
        return out;
    }
    const std::string text(p.begin(), p.end());
    if (text.rfind("QZ ", 0) != 0) return Invalid("packet of " + std::to_string(p.size()) + " bytes");
    std::string body = text.substr(3);
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r' || body.back() == '\0')) body.pop_back();
    if (body.rfind("BITRATE ", 0) == 0) {
        const std::string arg = body.substr(8);
        int kbit = -1;
        auto [end, ec] = std::from_chars(arg.data(), arg.data() + arg.size(), kbit);
        if (ec != std::errc() || end != arg.data() + arg.size() || (kbit != 0 && CanBitRateToIndex(kbit) < 0))
            return Invalid("bad bit rate \"" + arg + "\"");
        SimBusPacket out;
        out.kind = SimBusPacket::Kind::BitRate;
        out.kbit = kbit;
        return out;
    }
    if (body.rfind("NAME ", 0) == 0) {
        SimBusPacket out;
        out.kind = SimBusPacket::Kind::Name;
        for (char c : body.substr(5))
            if (out.text.size() < kSimBusMaxNameLength && c >= 0x20 && c < 0x7F) out.text.push_back(c);
        return out;
    }
    return Invalid("unknown control message");
}

std::string SimBusBitRateMessage(int kbit) { return "QZ BITRATE " + std::to_string(kbit); }

std::string SimBusNameMessage(const std::string& name) { return "QZ NAME " + name; }

std::string DefaultSimBusSocketPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) return (runtime + "/quarzel-sim.sock").toStdString();
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    return (QDir::tempPath() + "/quarzel-sim" + (user.isEmpty() ? QString() : "-" + user) + ".sock").toStdString();
}

std::string FormatFrameForLog(const BusFrame& f) {
    char buf[64];
    if (f.rtr) {
        std::snprintf(buf, sizeof buf, "%03X R%u", f.id, static_cast<unsigned>(f.len));
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%03X %u ", f.id, static_cast<unsigned>(f.len));
    std::string out = buf;
    for (size_t i = 0; i < f.len && i < 8; ++i) {
        std::snprintf(buf, sizeof buf, " %02X", f.data[i]);
        out += buf;
    }
    return out;
}
