#pragma once
// `AtmelBootloader`: the worker thread that programs the controller's flash through its CAN
// bootloader. The programming window sets the options, the CRIS and the image, then starts a
// run (state 2); the thread connects, identifies the controller, blank-checks and erases,
// programs, verifies with up to 10 retries, writes the boot configuration bytes and
// disconnects, then waits for the next run. The window polls Status() from its timer.
//
// With a virtual time source (tests) a run executes on the caller's thread, since virtual time
// moves only on the thread that drives it.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BootloaderClient.h"
#include "IntelHex.h"

enum : uint32_t { BOOT_STATUS_BUSY_OR_OK = 0xFF00, BOOT_STATUS_ERROR = 0xFF };

struct BootloaderOptions {
    bool program = true;        // write the image
    bool skip = false;          // leave out blank check and erase
    bool eraseFirst = false;    // erase before programming even when the flash is not blank
    uint8_t eraseByte = 0xFF;   // erase choice 0..3: 0xFF, 0x00, 0x20, 0x40
    int controllerRow = -1;     // -1: by signature; otherwise a row of ControllerTable()
};

// Erase byte of the window's erase choice 0..3 ("Komplett", "Block 0", "Block 1", "Block 2").
uint8_t EraseByteOfChoice(int choice);

struct BootloaderStatus {
    uint32_t code = BOOT_STATUS_BUSY_OR_OK;
    std::string text;
    int progress = 0;      // percent
    uint32_t offset = 0;   // bytes sent or compared
    bool busy = false;
    bool succeeded = false;  // the last run ended without error
    std::string controller;  // name of the identified controller
};

enum class BootloaderJob { Program, Verify, ReadMemory, ClearMemory };

class AtmelBootloader {
public:
    AtmelBootloader();
    ~AtmelBootloader();
    AtmelBootloader(const AtmelBootloader&) = delete;
    AtmelBootloader& operator=(const AtmelBootloader&) = delete;

    // 0..127; false (and no change) otherwise.
    bool SetCris(int cris);
    int Cris() const { return cris_; }
    void SetOptions(const BootloaderOptions& options);
    void SetImage(HexImage image);
    const HexImage& Image() const { return image_; }

    // Starts a run; false while one is running.
    bool StartProgram();
    bool StartVerify();
    // Reads or clears (writes 0xFF over) `length` bytes at `start` of `memory` (BL_MEM_FLASH or
    // BL_MEM_EEPROM).
    bool StartReadMemory(uint8_t memory, uint32_t start, uint32_t length);
    bool StartClearMemory(uint8_t memory, uint32_t start, uint32_t length);
    // The bytes of the last memory read.
    std::vector<uint8_t> MemoryRead() const;
    // The bootloader version the last run read (valid once connected).
    uint8_t BootloaderVersion() const { return version_.load(); }

    BootloaderStatus Status() const;
    // The status texts of the last run, in order (at most kTextLogEntries).
    std::vector<std::string> TextLog() const;
    static constexpr size_t kTextLogEntries = 512;
    bool Busy() const { return busy_.load(); }
    // Blocks until the run has ended (real time; for programs without an event loop and tests).
    void WaitIdle();

private:
    bool Start(BootloaderJob job);
    void ThreadBody();
    void RunJob();
    void RunMemoryJob();
    int Step(int state);
    // Select node (open) with its retries; false with the status set.
    bool Connect(BootloaderClient& client);
    // Blank check of the image's range into the blank-check result; false with the status set.
    bool BlankCheck(BootloaderClient& client);
    void SetText(const std::string& text);
    void Fail(const std::string& text);
    void SetProgress(uint32_t done, uint32_t length);
    bool ReadConfig(uint16_t address, const char* text, uint8_t& value);
    bool WriteConfig(uint16_t address, uint8_t value, const char* text);
    uint32_t ImageStart() const { return image_.start & 0xFFFF; }

    // Settings (written by the window between runs).
    int cris_ = 0;
    BootloaderOptions options_;
    HexImage image_;
    BootloaderJob job_ = BootloaderJob::Program;
    uint8_t memory_ = BL_MEM_FLASH;
    uint32_t memStart_ = 0;
    uint32_t memLength_ = 0;

    // Run state (worker only).
    int state_ = 0;
    bool connected_ = false;
    int progRetries_ = 0;
    bool verifyOk_ = false;
    int blankResult_ = 0;
    bool eraseNeeded_ = false;
    bool programmed_ = false;
    bool verifyOnly_ = false;
    std::array<uint8_t, 4> signature_{};
    std::atomic<uint8_t> version_{0};
    uint8_t hardware_ = 0;
    uint8_t p1_ = 0, p3_ = 0, p4_ = 0;
    const ControllerType* controller_ = nullptr;

    mutable std::mutex statusMutex_;
    BootloaderStatus status_;
    std::vector<uint8_t> memoryRead_;
    std::vector<std::string> textLog_;

    std::atomic<bool> busy_{false};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    bool runRequested_ = false;
    bool terminate_ = false;
    std::atomic<bool> terminating_{false};
    std::thread thread_;
};
