#include "SdoServer.h"

#include "SdoAbortCodes.h"
#include "SimBytes.h"

namespace {
BusFrame Answer(uint32_t id) {
    BusFrame f;
    f.id = id;
    f.len = 8;
    return f;
}

void PutMultiplexer(BusFrame& f, uint16_t index, uint8_t sub) {
    PutLe16(f.data, 1, index);
    f.data[3] = sub;
}
}  // namespace

void SdoServer::Reset() {
    mode_ = Mode::Idle;
    buffer_.clear();
    position_ = 0;
}

BusFrame SdoServer::Abort(uint32_t answerId, uint16_t index, uint8_t sub, uint32_t code) {
    Reset();
    BusFrame f = Answer(answerId);
    f.data[0] = 0x80;
    PutMultiplexer(f, index, sub);
    PutLe32(f.data, 4, code);
    return f;
}

std::optional<BusFrame> SdoServer::Handle(const BusFrame& r, SdoObjectAccess& objects, uint32_t answerId) {
    if (r.rtr || r.len != 8) return std::nullopt;
    const uint8_t ccs = r.data[0] >> 5;
    switch (ccs) {
    case 0: return DownloadSegment(r, objects, answerId);
    case 1: return InitiateDownload(r, objects, answerId);
    case 2: return InitiateUpload(r, objects, answerId);
    case 3: return UploadSegment(r, answerId);
    case 4:  // abort transfer: no answer
        Reset();
        return std::nullopt;
    default:  // block transfers and reserved specifiers
        return Abort(answerId, GetLe16(r.data, 1), r.data[3], kSdoUnknownCommand);
    }
}

std::optional<BusFrame> SdoServer::InitiateDownload(const BusFrame& r, SdoObjectAccess& objects, uint32_t answerId) {
    Reset();
    const uint16_t index = GetLe16(r.data, 1);
    const uint8_t sub = r.data[3];
    const bool expedited = r.data[0] & 0x02;
    const bool sizeIndicated = r.data[0] & 0x01;
    size_t size = 0;
    if (expedited) {
        size = sizeIndicated ? 4u - ((r.data[0] >> 2) & 0x03) : 4u;
    } else if (sizeIndicated) {
        size = GetLe32(r.data, 4);
    }
    size_t capacity = 0;
    const bool sizeKnown = sizeIndicated;
    if (const uint32_t code = objects.BeginDownload(index, sub, sizeKnown, size, capacity))
        return Abort(answerId, index, sub, code);
    if (expedited) {
        std::string bytes;
        for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>(r.data[4 + i]));
        if (const uint32_t code = objects.DownloadObject(index, sub, bytes, sizeKnown))
            return Abort(answerId, index, sub, code);
    } else {
        mode_ = Mode::Download;
        index_ = index;
        sub_ = sub;
        toggle_ = false;
        sizeKnown_ = sizeKnown;
        announced_ = size;
        capacity_ = capacity;
    }
    BusFrame f = Answer(answerId);
    f.data[0] = 0x60;
    PutMultiplexer(f, index, sub);
    return f;
}

std::optional<BusFrame> SdoServer::DownloadSegment(const BusFrame& r, SdoObjectAccess& objects, uint32_t answerId) {
    if (mode_ != Mode::Download) return Abort(answerId, 0, 0, kSdoUnknownCommand);
    const bool toggle = r.data[0] & 0x10;
    if (toggle != toggle_) return Abort(answerId, index_, sub_, kSdoToggleBit);
    const size_t n = 7u - ((r.data[0] >> 1) & 0x07);
    const bool last = r.data[0] & 0x01;
    if (buffer_.size() + n > capacity_) return Abort(answerId, index_, sub_, kSdoLengthTooHigh);
    for (size_t i = 0; i < n; ++i) buffer_.push_back(static_cast<char>(r.data[1 + i]));
    BusFrame f = Answer(answerId);
    f.data[0] = static_cast<uint8_t>(0x20 | ToggleBit());
    toggle_ = !toggle_;
    if (last) {
        const uint16_t index = index_;
        const uint8_t sub = sub_;
        if (sizeKnown_ && buffer_.size() != announced_) return Abort(answerId, index, sub, kSdoLengthMismatch);
        const std::string bytes = std::move(buffer_);
        const bool sizeKnown = sizeKnown_;
        Reset();
        if (const uint32_t code = objects.DownloadObject(index, sub, bytes, sizeKnown))
            return Abort(answerId, index, sub, code);
    }
    return f;
}

std::optional<BusFrame> SdoServer::InitiateUpload(const BusFrame& r, SdoObjectAccess& objects, uint32_t answerId) {
    Reset();
    const uint16_t index = GetLe16(r.data, 1);
    const uint8_t sub = r.data[3];
    std::string bytes;
    if (const uint32_t code = objects.UploadObject(index, sub, bytes)) return Abort(answerId, index, sub, code);
    BusFrame f = Answer(answerId);
    PutMultiplexer(f, index, sub);
    if (!bytes.empty() && bytes.size() <= 4) {
        f.data[0] = static_cast<uint8_t>(0x43 | ((4 - bytes.size()) << 2));
        for (size_t i = 0; i < bytes.size(); ++i) f.data[4 + i] = static_cast<uint8_t>(bytes[i]);
        return f;
    }
    // Segmented, size always indicated (an empty value too: one empty last segment follows).
    f.data[0] = 0x41;
    PutLe32(f.data, 4, static_cast<uint32_t>(bytes.size()));
    mode_ = Mode::Upload;
    index_ = index;
    sub_ = sub;
    toggle_ = false;
    buffer_ = std::move(bytes);
    position_ = 0;
    return f;
}

std::optional<BusFrame> SdoServer::UploadSegment(const BusFrame& r, uint32_t answerId) {
    if (mode_ != Mode::Upload) return Abort(answerId, 0, 0, kSdoUnknownCommand);
    const bool toggle = r.data[0] & 0x10;
    if (toggle != toggle_) return Abort(answerId, index_, sub_, kSdoToggleBit);
    const size_t remaining = buffer_.size() - position_;
    const size_t n = remaining < 7 ? remaining : 7;
    const bool last = remaining <= 7;
    BusFrame f = Answer(answerId);
    f.data[0] = static_cast<uint8_t>(ToggleBit() | ((7 - n) << 1) | (last ? 1 : 0));
    for (size_t i = 0; i < n; ++i) f.data[1 + i] = static_cast<uint8_t>(buffer_[position_ + i]);
    position_ += n;
    toggle_ = !toggle_;
    if (last) Reset();
    return f;
}
