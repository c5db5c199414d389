#pragma once
// The logic of the programming window `TformProg`: the programming file with its history, the
// CRIS, the controller, erase and blank-check choices, the program and verify operations and
// the status the bootloader client reports. The window binds its controls to it; the headless
// runner uses it without a window. It is the programmer "BEF_Prog_AtBl" drives.

#include <functional>
#include <optional>
#include <string>

#include "AtmelBootloader.h"
#include "BefProgrammer.h"
#include "FileHistory.h"
#include "IntelHex.h"

inline constexpr size_t kMaxHexFileBytes = 64u * 1024u * 1024u;

// What the window (or the headless runner) shows.
class ProgrammingView {
public:
    virtual ~ProgrammingView() = default;
    virtual void ShowWindow() {}
    virtual void HideWindow() {}
    // The settings changed from outside the window ("BEF_Prog_AtBl", a loaded file).
    virtual void SettingsChanged() {}
    // A run of the bootloader client is about to start.
    virtual void RunStarting() {}
    virtual void StatusChanged(const BootloaderStatus& /*status*/) {}
};

struct ProgrammingSettings {
    std::string cris = "0";
    bool blankCheck = true;
    bool eraseDevice = false;
    int eraseChoice = 0;      // 0 "Komplett", 1 "Block 0 (Programm)", 2, 3
    int controllerRow = -1;   // -1 automatic, else a row of ControllerTable()
};

class ProgrammingControl : public BefProgrammer {
public:
    ProgrammingControl();
    ~ProgrammingControl() override;

    void SetView(ProgrammingView* view) { view_ = view; }
    ProgrammingSettings& Settings() { return settings_; }
    // The programming-file history of the configuration, most recent first.
    FileHistory History() const;
    const std::string& FilePath() const { return path_; }
    bool HexLoaded() const { return loaded_; }
    const IntelHexFile& Hex() const { return hex_; }
    AtmelBootloader& Bootloader() { return boot_; }

    // Lets the operator choose a HEX file (patterns of "[EXTENSION_PROGDATEI]") and loads it.
    bool ChooseAndOpen();
    // Starts a verification of the device against the loaded file.
    bool btnVerifyClick();
    // Sends the frame 0x004 [03 00] when the channel is open.
    bool SendBootRequest();
    // The client's status; tells the view when it changed. Called from the window's timer.
    BootloaderStatus Poll();
    // The CRIS text as a value 0..127.
    static std::optional<int> ParseCris(const std::string& text);

    // BefProgrammer
    void Show() override;
    void SetScriptOptions(const std::string& cris, bool blankCheck, bool eraseDevice, int eraseChoice) override;
    bool OpenHexFile(const std::string& path) override;
    bool btnProgramClick() override;
    ProgrammerState PollBootloader() override;
    void Close() override;

private:
    bool Prepare(bool forProgramming);
    void Report(const std::string& text, uint32_t code);

    ProgrammingView* view_ = nullptr;
    ProgrammingSettings settings_;
    std::string path_;
    IntelHexFile hex_;
    bool loaded_ = false;
    AtmelBootloader boot_;
    bool startedOnce_ = false;
    BootloaderStatus last_;
    std::string localText_;  // a refusal before the client ran
    uint32_t localCode_ = BOOT_STATUS_BUSY_OR_OK;
};
