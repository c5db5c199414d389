#include "TpdoProducer.h"

std::optional<BusFrame> TpdoProducer::Build(const ObjectDictionary& od) const {
    if (!Valid(od)) return std::nullopt;
    BusFrame f;
    f.id = CobId(od);
    const uint32_t count = od.GetU32(map_, 0);
    size_t at = 0;
    for (uint32_t i = 1; i <= count && i <= 8; ++i) {
        const uint32_t m = od.GetU32(map_, static_cast<uint8_t>(i));
        const std::string bytes = od.GetBytes(static_cast<uint16_t>(m >> 16), static_cast<uint8_t>(m >> 8));
        const size_t n = (m & 0xFF) / 8;
        for (size_t b = 0; b < n && at < f.data.size(); ++b, ++at)
            f.data[at] = b < bytes.size() ? static_cast<uint8_t>(bytes[b]) : 0;
    }
    f.len = static_cast<uint8_t>(at);
    return f;
}

bool TpdoProducer::OnSync(const ObjectDictionary& od) {
    const uint8_t type = Type(od);
    if (type == 0) {
        const auto frame = Build(od);
        return frame && (!lastFrame_ || lastFrame_->data != frame->data || lastFrame_->len != frame->len);
    }
    if (type > 240) return false;
    if (++syncCount_ < type) return false;
    syncCount_ = 0;
    return true;
}

void TpdoProducer::Sent(const BusFrame& frame, uint64_t nowUs) {
    lastFrame_ = frame;
    lastSentUs = nowUs;
    sentOnce = true;
}

void TpdoProducer::Restart() {
    syncCount_ = 0;
    lastFrame_.reset();
    cyclicDueUs = std::numeric_limits<uint64_t>::max();
    sentOnce = false;
}
