#include "ParameterStore.h"

#include <QFile>

#include "AtomicFile.h"

namespace {
constexpr size_t kMaxFileBytes = 1 << 20;  // far above what an encoder stores

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::string HexFromBytes(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0x0F]);
    }
    return out;
}

bool BytesFromHex(const std::string& hex, std::string& bytes) {
    if (hex.size() % 2 != 0) return false;
    std::string out;
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<char>(hi * 16 + lo));
    }
    bytes = std::move(out);
    return true;
}

bool ParameterStore::Load(std::string& error) {
    values_.clear();
    if (path_.empty()) return true;
    QFile file(QString::fromLocal8Bit(path_.c_str()));
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot read " + path_ + ": " + file.errorString().toStdString();
        return false;
    }
    const QByteArray data = file.read(kMaxFileBytes);
    const std::string text(data.constData(), static_cast<size_t>(data.size()));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        values_[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return true;
}

bool ParameterStore::Commit(const std::map<std::string, std::string>& values, std::string& error) {
    if (!path_.empty()) {
        std::string text = "# quarzel-sim device parameters\n";
        for (const auto& [k, v] : values) text += k + "=" + v + "\n";
        AtomicFile file(path_, false);
        if (!file.Open() || !file.Write(text) || !file.Commit()) {
            error = "cannot write " + path_;
            return false;
        }
    }
    values_ = values;
    return true;
}

std::optional<std::string> ParameterStore::Get(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}
