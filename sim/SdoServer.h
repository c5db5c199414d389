#pragma once
// SDO server (CiA 301): expedited and segmented upload and download on one server channel.
// Plain protocol code: a request frame in, at most one answer frame out.

#include <cstdint>
#include <optional>
#include <string>

#include "BusFrame.h"

// What the server reads and writes: the device's object dictionary with its own checks.
class SdoObjectAccess {
public:
    virtual ~SdoObjectAccess() = default;
    // The entry's bytes for an upload, or an abort code.
    virtual uint32_t UploadObject(uint16_t index, uint8_t sub, std::string& bytes) = 0;
    // May a download to the entry begin? `size` is the announced size when `sizeKnown`.
    // Sets `capacity` to the largest value in bytes. 0 or an abort code.
    virtual uint32_t BeginDownload(uint16_t index, uint8_t sub, bool sizeKnown, size_t size, size_t& capacity) = 0;
    // Takes the downloaded value. 0 or an abort code.
    virtual uint32_t DownloadObject(uint16_t index, uint8_t sub, const std::string& bytes, bool sizeKnown) = 0;
};

class SdoServer {
public:
    // Handles a request received on the server's COB-ID; returns the answer to send on
    // `answerId`, if any. Requests that are not 8-byte data frames are ignored.
    std::optional<BusFrame> Handle(const BusFrame& request, SdoObjectAccess& objects, uint32_t answerId);
    // Ends any transfer in progress (reset communication, abort).
    void Reset();
    // Fault: segment answers carry the wrong toggle bit.
    void SetWrongToggle(bool on) { wrongToggle_ = on; }
    bool TransferActive() const { return mode_ != Mode::Idle; }

private:
    enum class Mode { Idle, Upload, Download };

    BusFrame Abort(uint32_t answerId, uint16_t index, uint8_t sub, uint32_t code);
    std::optional<BusFrame> InitiateDownload(const BusFrame& r, SdoObjectAccess& objects, uint32_t answerId);
    std::optional<BusFrame> DownloadSegment(const BusFrame& r, SdoObjectAccess& objects, uint32_t answerId);
    std::optional<BusFrame> InitiateUpload(const BusFrame& r, SdoObjectAccess& objects, uint32_t answerId);
    std::optional<BusFrame> UploadSegment(const BusFrame& r, uint32_t answerId);
    uint8_t ToggleBit() const { return static_cast<uint8_t>((toggle_ != wrongToggle_) ? 0x10 : 0x00); }

    Mode mode_ = Mode::Idle;
    uint16_t index_ = 0;
    uint8_t sub_ = 0;
    bool toggle_ = false;
    bool sizeKnown_ = false;
    size_t announced_ = 0;
    size_t capacity_ = 0;
    size_t position_ = 0;
    std::string buffer_;
    bool wrongToggle_ = false;
};
