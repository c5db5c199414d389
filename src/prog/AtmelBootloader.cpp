#include "AtmelBootloader.h"

#include <cstdio>

#include "CanChannel.h"
#include "ProgLog.h"
#include "TimeSource.h"

namespace {
constexpr int kConnectRetries = 5;
constexpr int kMaxProgRetries = 10;
constexpr int kDrainQuietMs = 200;
}  // namespace

uint8_t EraseByteOfChoice(int choice) {
    switch (choice) {
        case 1: return 0x00;
        case 2: return 0x20;
        case 3: return 0x40;
        default: return 0xFF;
    }
}

AtmelBootloader::AtmelBootloader() = default;

AtmelBootloader::~AtmelBootloader() {
    {
        std::lock_guard lock(wakeMutex_);
        terminate_ = true;
        terminating_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool AtmelBootloader::SetCris(int cris) {
    if (cris < 0 || cris > 127 || busy_) return false;
    cris_ = cris;
    return true;
}

void AtmelBootloader::SetOptions(const BootloaderOptions& options) {
    if (!busy_) options_ = options;
}

void AtmelBootloader::SetImage(HexImage image) {
    if (!busy_) image_ = std::move(image);
}

bool AtmelBootloader::StartProgram() { return Start(BootloaderJob::Program); }
bool AtmelBootloader::StartVerify() { return Start(BootloaderJob::Verify); }

bool AtmelBootloader::StartReadMemory(uint8_t memory, uint32_t start, uint32_t length) {
    if (busy_) return false;
    memory_ = memory;
    memStart_ = start;
    memLength_ = length;
    return Start(BootloaderJob::ReadMemory);
}

bool AtmelBootloader::StartClearMemory(uint8_t memory, uint32_t start, uint32_t length) {
    if (busy_) return false;
    memory_ = memory;
    memStart_ = start;
    memLength_ = length;
    return Start(BootloaderJob::ClearMemory);
}

std::vector<uint8_t> AtmelBootloader::MemoryRead() const {
    std::lock_guard lock(statusMutex_);
    return memoryRead_;
}

std::vector<std::string> AtmelBootloader::TextLog() const {
    std::lock_guard lock(statusMutex_);
    return textLog_;
}

BootloaderStatus AtmelBootloader::Status() const {
    std::lock_guard lock(statusMutex_);
    BootloaderStatus s = status_;
    s.busy = busy_;
    return s;
}

bool AtmelBootloader::Start(BootloaderJob job) {
    if (busy_.exchange(true)) return false;
    job_ = job;
    {
        std::lock_guard lock(statusMutex_);
        status_ = BootloaderStatus{};
        memoryRead_.clear();
        textLog_.clear();
    }
    if (CurrentTimeSource().IsVirtual()) {
        RunJob();
        return true;
    }
    {
        std::lock_guard lock(wakeMutex_);
        runRequested_ = true;
        if (!thread_.joinable()) thread_ = std::thread([this] { ThreadBody(); });
    }
    wake_.notify_all();
    return true;
}

void AtmelBootloader::WaitIdle() {
    std::unique_lock lock(wakeMutex_);
    idle_.wait(lock, [this] { return !busy_.load(); });
}

void AtmelBootloader::ThreadBody() {
    for (;;) {
        {
            std::unique_lock lock(wakeMutex_);
            wake_.wait(lock, [this] { return runRequested_ || terminate_; });
            if (terminate_) break;
            runRequested_ = false;
        }
        RunJob();
    }
    qCDebug(lcProg, "BootloaderThread terminated.");
}

void AtmelBootloader::SetText(const std::string& text) {
    std::lock_guard lock(statusMutex_);
    if (status_.text != text && textLog_.size() < kTextLogEntries) textLog_.push_back(text);
    status_.text = text;
}

void AtmelBootloader::Fail(const std::string& text) {
    SetText(text);
    std::lock_guard lock(statusMutex_);
    status_.code = BOOT_STATUS_ERROR;
}

void AtmelBootloader::SetProgress(uint32_t done, uint32_t length) {
    std::lock_guard lock(statusMutex_);
    status_.offset = done;
    status_.progress = ProgressPercent(done, length);
}

void AtmelBootloader::RunJob() {
    // The result flags of the previous run.
    connected_ = false;
    progRetries_ = 0;
    verifyOk_ = false;
    blankResult_ = 0;
    programmed_ = false;
    controller_ = nullptr;
    verifyOnly_ = job_ == BootloaderJob::Verify;
    eraseNeeded_ = job_ == BootloaderJob::Program && options_.eraseFirst && !options_.skip;
    CanTraceStart();
    if (job_ == BootloaderJob::ReadMemory || job_ == BootloaderJob::ClearMemory) {
        RunMemoryJob();
    } else {
        state_ = 2;
        while (state_ != 0 && !terminating_) {
            qCDebug(lcProg, "BootloaderThread status %i.", state_);
            state_ = Step(state_);
        }
    }
    CanTraceStop("Bootloader");
    {
        std::lock_guard lock(statusMutex_);
        status_.succeeded = status_.code != BOOT_STATUS_ERROR;
    }
    {
        std::lock_guard lock(wakeMutex_);
        busy_ = false;
    }
    idle_.notify_all();
}

bool AtmelBootloader::ReadConfig(uint16_t address, const char* text, uint8_t& value) {
    SetText(text);
    BootloaderClient client(static_cast<uint8_t>(cris_));
    if (client.ReadByte(address, value)) return true;
    Fail(text);
    return false;
}

bool AtmelBootloader::WriteConfig(uint16_t address, uint8_t value, const char* text) {
    SetText(text);
    return BootloaderClient(static_cast<uint8_t>(cris_)).WriteByte(address, value);
}

bool AtmelBootloader::Connect(BootloaderClient& client) {
    SetText("Connecting");
    for (int attempt = 0; attempt <= kConnectRetries; ++attempt) {
        if (attempt > 0) BootloaderPause(kSettleMs);
        uint8_t version = 0;
        if (client.SelectNode(true, &version)) {
            version_ = version;
            return true;
        }
    }
    Fail("Connection cannot be established");
    return false;
}

bool AtmelBootloader::BlankCheck(BootloaderClient& client) {
    SetText("Blank Check");
    const auto result = client.BlankCheck(ImageStart(), static_cast<uint32_t>(image_.bytes.size()));
    if (!result) {
        Fail("Blank Check");
        return false;
    }
    blankResult_ = *result;
    return true;
}

int AtmelBootloader::Step(int state) {
    BootloaderClient client(static_cast<uint8_t>(cris_));
    const bool program = options_.program && !verifyOnly_;
    const bool skip = options_.skip || verifyOnly_;
    const uint32_t length = static_cast<uint32_t>(image_.bytes.size());
    switch (state) {
        case 1: return 0;
        case 2: {
            if (!CanActive) {
                Fail("CAN initialization failed");
                return 0;
            }
            connected_ = Connect(client);
            return connected_ ? 3 : 0;
        }
        case 3: {
            if (!ReadConfig(BL_ADDR_MANUFACTURER, "Read manufacturer", signature_[0]) ||
                !ReadConfig(BL_ADDR_FAMILY, "Reading family", signature_[1]) ||
                !ReadConfig(BL_ADDR_PRODUCT, "Reading Product Id", signature_[2]) ||
                !ReadConfig(BL_ADDR_REVISION, "Reading revision", signature_[3]))
                return 0;
            const auto table = ControllerTable();
            if (options_.controllerRow < 0) {
                controller_ = &FindController(signature_);
            } else if (static_cast<size_t>(options_.controllerRow) < table.size()) {
                controller_ = &table[static_cast<size_t>(options_.controllerRow)];
            } else {
                controller_ = nullptr;
                Fail("Internal error!!!");
                return 6;
            }
            if (controller_->kind == 0) {
                Fail("Unknown controller");
                return 6;
            }
            {
                std::lock_guard lock(statusMutex_);
                status_.controller = controller_->name;
            }
            return controller_->kind == 2 ? 4 : 5;
        }
        case 4:
        case 5: {
            uint8_t version = 0;
            if (!ReadConfig(BL_ADDR_VERSION, "Read bootloader version", version) ||
                !ReadConfig(BL_ADDR_HARDWARE, "Reading hardware byte", hardware_))
                return 0;
            version_ = version;
            if (state == 4 && (!ReadConfig(BL_ADDR_P1_CF, "Lesen P1_CF", p1_) ||
                               !ReadConfig(BL_ADDR_P3_CF, "Lesen P3_CF", p3_) ||
                               !ReadConfig(BL_ADDR_P4_CF, "Lesen P4_CF", p4_)))
                return 0;
            return 7;
        }
        case 6:
            client.SelectNode(false);
            connected_ = false;
            return 0;
        case 7:
            if (!controller_ || length > controller_->flashSize) {
                Fail("Hex file is too large!!!");
                return 6;
            }
            if (cris_ == 0 && !skip) {
                if (!BlankCheck(client)) return 6;
                if (blankResult_ == 1) eraseNeeded_ = true;
                return 10;
            }
            blankResult_ = 1;
            return 11;
        case 8: return BlankCheck(client) ? 11 : 6;
        case 9: {
            if (programmed_ || verifyOnly_) {
                SetText("Verify");
                const VerifyOutcome outcome =
                    client.Verify(ImageStart(), image_.bytes, [this, length](uint32_t done) { SetProgress(done, length); });
                verifyOk_ = outcome == VerifyOutcome::Ok;
                if (verifyOk_) {
                    SetText("Verification OK");
                } else {
                    SetText("Verification error");
                    // Only a programming run programs again; a verification alone changes nothing.
                    if (programmed_ && progRetries_ < kMaxProgRetries) {
                        ++progRetries_;
                        client.DrainDisplay(kDrainQuietMs);
                        eraseNeeded_ = true;
                        return 10;
                    }
                    Fail("Verification error");
                }
            }
            if (!controller_) {
                Fail("Internal error!!!");
                return 6;
            }
            if (!program || cris_ != 0 || skip) return 6;
            if (controller_->kind == 2) return 12;
            if (controller_->kind == 1 || controller_->kind == 3 || controller_->kind == 4) return 13;
            return 6;
        }
        case 10:
            if (!eraseNeeded_) return 11;
            SetText("Erasing component");
            if (!client.Erase(options_.eraseByte)) {
                Fail("Erasing component");
                return 6;
            }
            eraseNeeded_ = false;
            return 8;
        case 11:
            if (program) {
                if (blankResult_ == 0) {
                    Fail("Component not empty");
                    return 6;
                }
                if (progRetries_ == 0) {
                    SetText("Programming");
                } else {
                    char text[64];
                    std::snprintf(text, sizeof text, "Programming, retry: %d", progRetries_);
                    SetText(text);
                }
                SetProgress(0, length);
                client.Program(BL_MEM_FLASH, ImageStart(), image_.bytes,
                               [this, length](uint32_t done) { SetProgress(done, length); });
                programmed_ = true;
            }
            return 9;
        case 12:
            if (program && verifyOk_) {
                WriteConfig(BL_ADDR_P1_CF, 0xFF, "Schreibe P1_CF");
                WriteConfig(BL_ADDR_P3_CF, 0xFB, "Schreibe P3_CF");
                WriteConfig(BL_ADDR_P4_CF, 0xFF, "Schreibe P4_CF");
                WriteConfig(BL_ADDR_SBV, 0xFF, "Schreibe SBV");
                if (WriteConfig(BL_ADDR_BSB, 0x00, "Schreibe BSB"))
                    SetText("Programming OK");
                else
                    Fail("Error writing BSB");
            }
            return 6;
        case 13:
            if (program && verifyOk_) {
                WriteConfig(BL_ADDR_SBV, 0xFF, "Schreibe SBV");
                WriteConfig(BL_ADDR_BSB, 0x00, "Schreibe BSB");
                if (WriteConfig(BL_ADDR_HARDWARE, static_cast<uint8_t>(hardware_ | 0x40), "Schreibe BLJB"))
                    SetText("Programming OK");
                else
                    Fail("Error writing BLJB");
            }
            return 6;
        default: return 6;
    }
}

void AtmelBootloader::RunMemoryJob() {
    BootloaderClient client(static_cast<uint8_t>(cris_));
    if (!CanActive) {
        Fail("CAN initialization failed");
        return;
    }
    if (!Connect(client)) return;
    SetText("Connection active");
    const uint32_t length = memLength_;
    const auto progress = [this, length](uint32_t done) { SetProgress(done, length); };
    bool ok = false;
    if (job_ == BootloaderJob::ReadMemory) {
        SetText("reading memory");
        std::vector<uint8_t> bytes;
        ok = client.Read(memory_ == BL_MEM_EEPROM ? BL_DISPLAY_EEPROM : BL_DISPLAY_FLASH, memStart_, length, bytes,
                         progress);
        std::lock_guard lock(statusMutex_);
        memoryRead_ = std::move(bytes);
    } else {
        SetText("clearing memory");
        const std::vector<uint8_t> blank(length, 0xFF);
        ok = client.Program(memory_, memStart_, blank, progress);
    }
    client.SelectNode(false);
    if (ok)
        SetText("done");
    else
        Fail("Kommunikationsfehler");
}
