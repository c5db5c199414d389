#include "ProgrammingControl.h"

#include "CanChannel.h"
#include "Configuration.h"
#include "FileText.h"
#include "Numbers.h"
#include "Ports.h"
#include "TestFileLoader.h"

namespace {
constexpr const char* kLoadTitle = "DATEI LADEN";
constexpr const char* kWindowTitle = "PROGRAMMING";
}  // namespace

ProgrammingControl::ProgrammingControl() = default;

ProgrammingControl::~ProgrammingControl() {
    if (CurrentBefProgrammer() == this) SetBefProgrammer(nullptr);
}

FileHistory ProgrammingControl::History() const { return AppConfiguration().History(HistoryList::ProgFiles); }

std::optional<int> ProgrammingControl::ParseCris(const std::string& text) {
    int32_t value = 0;
    if (!ReadInteger(text, value) || value < 0 || value > 127) return std::nullopt;
    return value;
}

void ProgrammingControl::Report(const std::string& text, uint32_t code) {
    localText_ = text;
    localCode_ = code;
    last_ = BootloaderStatus{};
    last_.text = text;
    last_.code = code;
    if (view_) view_->StatusChanged(last_);
}

bool ProgrammingControl::ChooseAndOpen() {
    std::string filter = AppConfiguration().Value("[EXTENSION_PROGDATEI]");
    if (filter.empty()) filter = "Intel HEX|*.hex";
    const auto path = CurrentOperator().ChooseOpenFile("Load hex file", filter, path_);
    return path && OpenHexFile(*path);
}

bool ProgrammingControl::OpenHexFile(const std::string& path) {
    loaded_ = false;
    std::string text;
    switch (ReadFileBytes(path, text, kMaxHexFileBytes)) {
        case FileReadResult::Ok: break;
        case FileReadResult::TooLarge: Report("Hex file is too large!!!", BOOT_STATUS_ERROR); return false;
        default: Report("Cannot read " + path, BOOT_STATUS_ERROR); return false;
    }
    ShowFileNotice(path);
    if (!hex_.Read(text)) {
        CurrentOperator().ShowMessage(hex_.Error(), kLoadTitle);
        Report(hex_.Error(), BOOT_STATUS_ERROR);
        return false;
    }
    path_ = path;
    loaded_ = true;
    FileHistory history = History();
    AddToHistory(history, path, false);
    AppConfiguration().SetHistory(HistoryList::ProgFiles, history);
    Report(path, BOOT_STATUS_BUSY_OR_OK);
    if (view_) view_->SettingsChanged();
    return true;
}

bool ProgrammingControl::Prepare(bool forProgramming) {
    if (boot_.Busy()) return false;
    const auto cris = ParseCris(settings_.cris);
    if (!cris) {
        CurrentOperator().ShowMessage("Ungltige CRIS Id", kWindowTitle);
        Report("Ungltige CRIS Id", BOOT_STATUS_ERROR);
        return false;
    }
    HexImage image;
    bool empty = false;
    if (!loaded_ || !BuildHexImage(hex_, image, empty)) {
        Report(!loaded_ || empty ? "No hex file loaded" : "Hex file is too large!!!", BOOT_STATUS_ERROR);
        return false;
    }
    CanOpen();
    BootloaderOptions options;
    options.program = forProgramming;
    options.skip = !settings_.blankCheck;
    options.eraseFirst = settings_.eraseDevice;
    options.eraseByte = EraseByteOfChoice(settings_.eraseChoice);
    options.controllerRow = settings_.controllerRow;
    boot_.SetCris(*cris);
    boot_.SetOptions(options);
    boot_.SetImage(std::move(image));
    localText_.clear();
    localCode_ = BOOT_STATUS_BUSY_OR_OK;
    startedOnce_ = true;
    if (view_) view_->RunStarting();
    return true;
}

bool ProgrammingControl::btnProgramClick() { return Prepare(true) && boot_.StartProgram(); }

bool ProgrammingControl::btnVerifyClick() { return Prepare(false) && boot_.StartVerify(); }

bool ProgrammingControl::SendBootRequest() {
    if (!CanActive) return false;
    tagOPEN_Message msg;
    msg.id = 0x004;
    msg.dlc = 2;
    msg.data[0] = 0x03;
    return CanWrite(&msg);
}

BootloaderStatus ProgrammingControl::Poll() {
    if (!localText_.empty() || !startedOnce_) return last_;
    BootloaderStatus s = boot_.Status();
    const bool changed = s.text != last_.text || s.code != last_.code || s.progress != last_.progress ||
                         s.busy != last_.busy || s.offset != last_.offset;
    last_ = s;
    if (changed && view_) view_->StatusChanged(s);
    return s;
}

void ProgrammingControl::Show() {
    if (view_) view_->ShowWindow();
}

void ProgrammingControl::SetScriptOptions(const std::string& cris, bool blankCheck, bool eraseDevice, int eraseChoice) {
    settings_.cris = cris;
    settings_.blankCheck = blankCheck;
    settings_.eraseDevice = eraseDevice;
    if (eraseDevice) settings_.eraseChoice = eraseChoice;
    if (view_) view_->SettingsChanged();
}

ProgrammerState ProgrammingControl::PollBootloader() {
    if (!startedOnce_) return ProgrammerState::Failed;
    const BootloaderStatus s = Poll();
    if (s.busy) return ProgrammerState::Running;
    return s.succeeded ? ProgrammerState::Succeeded : ProgrammerState::Failed;
}

void ProgrammingControl::Close() {
    if (view_) view_->HideWindow();
}
