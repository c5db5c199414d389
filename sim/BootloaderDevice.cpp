#include "BootloaderDevice.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "EncoderOptions.h"

namespace {
struct ControllerModel {
    const char* name;
    int kind;
    std::array<uint8_t, 4> signature;
    uint32_t flashSize;
};
constexpr ControllerModel kModels[] = {
    {"T89C51CC01", 1, {0x58, 0xD7, 0xF7, 0xFF}, 0x8000},   {"T89C51CC02", 2, {0x58, 0xD7, 0xBB, 0xFF}, 0x4000},
    {"LM3S5632", 3, {0x4C, 0x03, 0x81, 0x00}, 0x20000},    {"LM3S5732", 3, {0x4C, 0x03, 0x96, 0x00}, 0x20000},
    {"TM4C123GH6PM", 3, {0x4C, 0x05, 0xA1, 0x01}, 0x40000}, {"STM32F103", 3, {0x14, 0x64, 0x03, 0x10}, 0x80000},
    {"STM32F30X", 3, {0x22, 0x64, 0x03, 0x10}, 0x60000},   {"C8051F50X", 4, {0xA1, 0x1C, 0x02, 0x01}, 0x10000},
    {"unknown", 0, {0x12, 0x34, 0x56, 0x78}, 0x8000},
};
constexpr uint32_t kEepromSize = 0x800;

const ControllerModel* FindModel(std::string_view name) {
    for (const ControllerModel& m : kModels) {
        std::string_view n = m.name;
        if (n.size() == name.size() &&
            std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) { return std::toupper(a) == std::toupper(b); }))
            return &m;
    }
    return nullptr;
}

bool Number(std::string_view text, int& out, int limit) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size() && out >= 0 && out <= limit;
}

bool OnOff(std::string_view v, bool& out) {
    if (v == "on" || v == "1") out = true;
    else if (v == "off" || v == "0") out = false;
    else return false;
    return true;
}
}  // namespace

const char* BootloaderOptionsHelp() {
    return "  cris=N        CAN re-programming identifier segment 0..127 (default 0)\n"
           "  kind=K        controller kind 1..4 (first controller of the kind; default 1)\n"
           "  model=NAME    T89C51CC01 T89C51CC02 LM3S5632 LM3S5732 TM4C123GH6PM STM32F103\n"
           "                STM32F30X C8051F50X unknown\n"
           "  blank=on|off  blank flash (default) or flash holding an old program\n"
           "  version=N     bootloader version (default 0x12)\n"
           "  badverify=N   the first N read-backs deliver one wrong byte\n"
           "  silent=on     answers nothing\n"
           "  open=on       the connection is open already\n"
           "  kbit=N        bit rate (default 500)\n";
}

bool ParseBootloaderOptions(std::string_view text, SimBootloaderOptions& options, std::string& error) {
    if (text.substr(0, 10) == "bootloader") text.remove_prefix(10);
    if (!text.empty() && text.front() == '?') text.remove_prefix(1);
    SimBootloaderOptions o = options;
    const bool ok = ForEachOptionPair(
        text,
        [&](std::string_view key, std::string_view value) {
            int n = 0;
            bool b = false;
            if (key == "cris" && Number(value, n, 127)) {
                o.cris = n;
            } else if (key == "kind" && Number(value, n, 4) && n >= 1) {
                for (const ControllerModel& m : kModels)
                    if (m.kind == n) {
                        o.model = m.name;
                        break;
                    }
            } else if (key == "model" && FindModel(value)) {
                o.model = FindModel(value)->name;
            } else if (key == "blank" && OnOff(value, b)) {
                o.blank = b;
            } else if (key == "version" && Number(value, n, 255)) {
                o.version = static_cast<uint8_t>(n);
            } else if (key == "badverify" && Number(value, n, 1000000)) {
                o.badVerify = n;
            } else if (key == "silent" && OnOff(value, b)) {
                o.silent = b;
            } else if (key == "open" && OnOff(value, b)) {
                o.open = b;
            } else if (key == "kbit" && Number(value, n, 1000) && n >= 10) {
                o.kbit = n;
            } else {
                error = "bootloader option " + std::string(key) + "=" + std::string(value) +
                        ": unknown key or bad value";
                return false;
            }
            return true;
        },
        error);
    if (ok) options = o;
    return ok;
}

BootloaderDevice::BootloaderDevice(const SimBootloaderOptions& options) : options_(options) {
    const ControllerModel* model = FindModel(options_.model);
    if (!model) model = &kModels[0];
    flash_.assign(model->flashSize, 0xFF);
    eeprom_.assign(kEepromSize, 0xFF);
    if (!options_.blank)
        for (size_t i = 0; i < flash_.size(); ++i) flash_[i] = static_cast<uint8_t>(i * 7 + 3);
    config_[0x130] = model->signature[0];
    config_[0x131] = model->signature[1];
    config_[0x160] = model->signature[2];
    config_[0x161] = model->signature[3];
    config_[0x000] = options_.version;
    config_[0x200] = 0x80;  // hardware byte, BLJB cleared
    config_[0x100] = 0xFF;  // BSB
    config_[0x101] = 0xFC;  // SBV
    config_[0x102] = 0xFF;
    config_[0x103] = 0xFF;
    config_[0x104] = 0xFF;
    open_ = options_.open;
    badLeft_ = options_.badVerify;
}

uint8_t BootloaderDevice::ConfigByte(uint16_t address) const {
    const auto it = config_.find(address);
    return it == config_.end() ? 0xFF : it->second;
}

void BootloaderDevice::Answer(std::vector<BusFrame>& out, uint32_t command, std::initializer_list<uint8_t> data) {
    BusFrame f;
    f.id = static_cast<uint32_t>(options_.cris) * 16u + command;
    f.len = static_cast<uint8_t>(data.size());
    std::copy(data.begin(), data.end(), f.data.begin());
    out.push_back(f);
}

bool BootloaderDevice::DecodeRange(const BusFrame& in, size_t first, uint32_t& start, uint32_t& end) const {
    if (in.len == first + 4) {
        start = uint32_t{in.data[first]} << 8 | in.data[first + 1];
        end = uint32_t{in.data[first + 2]} << 8 | in.data[first + 3];
    } else if (in.len == first + 5) {
        start = uint32_t{in.data[first]} << 8 | in.data[first + 1];
        end = uint32_t{in.data[first + 2]} << 16 | uint32_t{in.data[first + 3]} << 8 | in.data[first + 4];
    } else {
        return false;
    }
    return start <= end;
}

void BootloaderDevice::HandleFrame(const BusFrame& in, std::vector<BusFrame>& out) {
    if (options_.silent || in.rtr || in.statusWord != 0) return;
    const uint32_t base = static_cast<uint32_t>(options_.cris) * 16u;
    if (in.id < base || in.id > base + 5) return;
    const uint32_t command = in.id - base;
    if (command == 0) {
        if (in.len < 1 || (in.data[0] != 0xFF && in.data[0] != 0x00)) return;
        open_ = !open_;
        writing_ = Writing::None;
        Answer(out, 0, {options_.version, static_cast<uint8_t>(open_ ? 1 : 0)});
        return;
    }
    if (!open_) return;
    uint32_t start = 0, end = 0;
    switch (command) {
        case 1: {  // program start
            if (in.len < 1 || !DecodeRange(in, 1, start, end)) return;
            const auto& memory = in.data[0] == 0x01 ? eeprom_ : flash_;
            if (end >= memory.size()) return;
            writing_ = in.data[0] == 0x01 ? Writing::Eeprom : Writing::Flash;
            writeAt_ = start;
            writeEnd_ = end;
            Answer(out, 1, {});
            return;
        }
        case 2: {  // program data
            if (writing_ == Writing::None) {
                Answer(out, 2, {0x01});
                return;
            }
            auto& memory = writing_ == Writing::Eeprom ? eeprom_ : flash_;
            for (uint8_t i = 0; i < in.len && writeAt_ <= writeEnd_; ++i) memory[writeAt_++] = in.data[i];
            const bool done = writeAt_ > writeEnd_;
            if (done) writing_ = Writing::None;
            Answer(out, 2, {static_cast<uint8_t>(done ? 0x00 : 0x02)});
            return;
        }
        case 3: {  // display, blank check
            if (in.len < 1 || !DecodeRange(in, 1, start, end)) return;
            const auto& memory = in.data[0] == 0x02 ? eeprom_ : flash_;
            if (end >= memory.size()) return;
            if (in.data[0] == 0x01) {
                for (uint32_t a = start; a <= end; ++a)
                    if (memory[a] != 0xFF) {
                        Answer(out, 3, {static_cast<uint8_t>(a >> 8), static_cast<uint8_t>(a)});
                        return;
                    }
                Answer(out, 3, {});
                return;
            }
            const bool corrupt = in.data[0] == 0x00 && badLeft_ > 0;
            if (in.data[0] == 0x00) {
                ++reads_;
                if (corrupt) --badLeft_;
            }
            for (uint32_t a = start; a <= end; a += 8) {
                BusFrame f;
                f.id = base + 3;
                f.len = static_cast<uint8_t>(std::min<uint32_t>(8, end - a + 1));
                std::copy_n(memory.begin() + a, f.len, f.data.begin());
                if (corrupt && a == start) f.data[0] ^= 0x5A;
                out.push_back(f);
            }
            return;
        }
        case 4: {  // erase, write byte
            if (in.len == 2 && in.data[0] == 0x00) {
                uint32_t from = 0, to = static_cast<uint32_t>(flash_.size());
                switch (in.data[1]) {
                    case 0x00: to = std::min<uint32_t>(to, 0x2000); break;
                    case 0x20: from = 0x2000, to = std::min<uint32_t>(to, 0x4000); break;
                    case 0x40: from = 0x4000, to = std::min<uint32_t>(to, 0x8000); break;
                    default: break;
                }
                if (from < to) std::fill(flash_.begin() + from, flash_.begin() + to, 0xFF);
                ++erases_;
                Answer(out, 4, {0x00});
            } else if (in.len == 3) {
                config_[static_cast<uint16_t>(in.data[0] << 8 | in.data[1])] = in.data[2];
                Answer(out, 4, {0x00});
            }
            return;
        }
        case 5:  // read byte
            if (in.len == 2) Answer(out, 5, {ConfigByte(static_cast<uint16_t>(in.data[0] << 8 | in.data[1]))});
            return;
        default: return;
    }
}
