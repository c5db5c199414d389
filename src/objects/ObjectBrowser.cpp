#include "ObjectBrowser.h"

#include <cstdio>

#include "CanChannel.h"
#include "Configuration.h"
#include "EdsReader.h"
#include "SdoRequest.h"
#include "SdoTables.h"

namespace {
constexpr const char* kCaptionEdit = "EDIT OBJECT";
constexpr const char* kCaptionRead = "READ OBJECT";
constexpr const char* kCaptionWrite = "WRITE OBJECTS";
constexpr const char* kCaptionObjects = "OBJECTS";
constexpr const char* kNoEds = "No EDS file loaded";

std::string Format(const char* format, uint32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// "0x06010002 Err_ReadOnly": the abort code and, when known, its name.
std::string AbortText(uint32_t code) {
    std::string text = Format("0x%08X", code);
    if (const SdoAbortEntry* entry = FindSdoAbortCode(code)) text += std::string(" ") + entry->name;
    return text;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void Send(tagOPEN_Message m) { CanWrite(&m); }
}  // namespace

ObjectBrowser::ObjectBrowser(OperatorPort& op) : op_(op), timTimer_(CreateTimer()), timItem_(CreateTimer()) {
    timTimer_->SetHandler([this] { timTimerTimer(); });
    timItem_->SetHandler([this] { timItemTimer(); });
    grid_ = FillObjectGrid(table_);
}

ObjectBrowser::~ObjectBrowser() {
    timTimer_->Stop();
    timItem_->Stop();
}

FileHistory ObjectBrowser::History() const { return AppConfiguration().History(HistoryList::EdsFiles); }

void ObjectBrowser::mnuLoadEdsClick() {
    const std::string pattern = AppConfiguration().Value("[EXTENSION_EDSDATEI]");
    const std::string filter = pattern.empty() ? std::string("EDS file|*.eds") : "EDS file  (" + pattern + ")|" + pattern;
    const FileHistory history = History();
    std::string start = history[0];
    if (start.empty()) start = AppConfiguration().Value("[ARBEITSVERZEICHNIS]");
    const auto chosen = op_.ChooseOpenFile("EDS File laden", filter, start);
    if (chosen) LoadFile(*chosen);
}

void ObjectBrowser::mnuEdsFileClick(int k) {
    const FileHistory history = History();
    if (k < 0 || static_cast<size_t>(k) >= history.size() || history[static_cast<size_t>(k)].empty()) return;
    LoadFile(history[static_cast<size_t>(k)]);
}

bool ObjectBrowser::LoadFile(const std::string& path) {
    if (upload_.Running()) upload_.Cancel();
    timTimer_->Stop();
    EndItem();
    EdsLoadResult result = LoadEdsFile(path);
    const std::string name = BaseName(path);
    if (!result.ok) op_.ShowMessage(EdsErrorMessage(result, path), result.caption);
    if (!result.warnings.empty()) op_.ShowMessage(EdsWarningText(result, name), "LoadObjects");
    table_ = std::move(result.entries);
    loaded_ = result.ok;
    fileName_ = result.ok ? path : std::string();
    status_ = result.ok ? path : kNoEds;
    if (result.ok) {
        FileHistory history = History();
        AddToHistory(history, path, false);
        AppConfiguration().SetHistory(HistoryList::EdsFiles, history);
    }
    Refill();
    return result.ok;
}

void ObjectBrowser::SetTable(ObjectTable table, const std::string& fileName) {
    if (upload_.Running()) upload_.Cancel();
    timTimer_->Stop();
    EndItem();
    table_ = std::move(table);
    loaded_ = true;
    fileName_ = fileName;
    status_ = fileName;
    Refill();
}

void ObjectBrowser::btnUploadClick() {
    if (!loaded_) {
        op_.ShowMessage("EDS file was not loaded", kCaptionObjects);
        return;
    }
    if (upload_.Running() || Busy(kCaptionObjects)) return;
    if (!CanActive && !CanOpen()) return;
    upload_.Begin();
    timTimer_->Start(IntervalFromVariable("Timer", kDefaultTimerMs));
    Notify();
}

void ObjectBrowser::btnCancelClick() {
    if (!upload_.Running()) return;
    upload_.Cancel();
    timTimer_->Stop();
    status_ = "Upload cancelled";
    Refill();
}

void ObjectBrowser::timTimerTimer() {
    upload_.Tick();
    if (upload_.Running()) {
        status_ = upload_.StatusText();
        Notify();
        return;
    }
    timTimer_->Stop();
    if (upload_.NoResponse()) {
        status_ = "no response " + upload_.StatusText();
        Refill();
        op_.ShowMessage("no response", kCaptionRead);
        return;
    }
    status_ = fileName_;
    Refill();
}

bool ObjectBrowser::Busy(const char* caption) {
    if (item_ == ItemIdle && !upload_.Running()) return false;
    op_.ShowMessage("The previous request is still waiting for its answer", caption);
    return true;
}

// The entry of a grid row that can be read (or written) alone; -1 after the message.
int ObjectBrowser::CheckedEntry(int gridRow, bool forWrite) {
    const int entry = EntryOfGridRow(grid_, gridRow);
    if (entry < 0 || static_cast<size_t>(entry) >= table_.size()) {
        op_.ShowMessage("No valid entry in this cell", kCaptionEdit);
        return -1;
    }
    const ObjectEntry& e = table_[static_cast<size_t>(entry)];
    const int length = EntryByteLength(e);
    if (e.header || (forWrite && length > 4)) {
        op_.ShowMessage("Entry cannot be edited", kCaptionEdit);
        return -1;
    }
    if (!forWrite && length >= 5) {
        op_.ShowMessage("Object can only be read via upload", kCaptionRead);
        return -1;
    }
    return entry;
}

void ObjectBrowser::btnReadClick(int gridRow) {
    const int entry = CheckedEntry(gridRow, false);
    if (entry < 0 || Busy(kCaptionRead)) return;
    const ObjectEntry& e = table_[static_cast<size_t>(entry)];
    StartItem(ItemRead, SdoUploadRequestFrame(static_cast<uint16_t>(e.index), static_cast<uint8_t>(e.subindex)), entry,
              IntervalFromVariable("Timer", kDefaultTimerMs));
}

void ObjectBrowser::btnWriteClick(int gridRow) {
    const int entry = CheckedEntry(gridRow, true);
    if (entry < 0 || Busy(kCaptionWrite)) return;
    const ObjectEntry& e = table_[static_cast<size_t>(entry)];
    EditFieldSet fields;
    auto field = [&](size_t k, const char* caption, std::string text, bool free) {
        fields[k].active = true;
        fields[k].freeText = free;
        fields[k].caption = caption;
        fields[k].text = std::move(text);
    };
    const int length = EntryByteLength(e);
    field(0, "Object index", Format("%x", e.index), true);
    field(1, "Object subindex", Format("%x", e.subindex), true);
    field(2, "Value", Format("0x%x", e.value), false);
    field(3, "Data length (1...4)", std::to_string(length), false);
    if (!op_.EditFields(fields)) return;
    const uint32_t newLength = fields[3].value;
    if (newLength < 1 || newLength > 4) {
        op_.ShowMessage("Data length (1...4): " + fields[3].text + " is not 1 to 4", kCaptionWrite);
        return;
    }
    itemValue_ = fields[2].value;
    itemLength_ = static_cast<int>(newLength);
    StartItem(ItemWrite,
              SdoExpeditedDownloadFrame(static_cast<uint16_t>(e.index), static_cast<uint8_t>(e.subindex), itemValue_,
                                        itemLength_),
              entry, IntervalFromVariable("Timer", kDefaultTimerMs));
}

void ObjectBrowser::btnSaveClick() {
    if (Busy(kCaptionWrite)) return;
    StartItem(ItemStore, SdoExpeditedDownloadFrame(0x1010, 1, 0x65766173, 4), -1,
              IntervalFromVariable("TimerLong", kDefaultLongTimerMs));
}

void ObjectBrowser::btnLoadDefaultClick() {
    if (Busy(kCaptionWrite)) return;
    StartItem(ItemStore, SdoExpeditedDownloadFrame(0x1011, 1, 0x64616F6C, 4), -1,
              IntervalFromVariable("TimerLong", kDefaultLongTimerMs));
}

void ObjectBrowser::btnPreOpClick() {
    if (!CanActive && !CanOpen()) return;
    Send(NmtPreOperationalFrame());
}

void ObjectBrowser::btnExportClick() {
    const ObjectGridTable table(grid_);
    ExportGridCsv(';', table);
}

void ObjectBrowser::StartItem(ItemState state, const tagOPEN_Message& request, int entry, int intervalMs) {
    if (!CanActive && !CanOpen()) return;
    tagOPEN_Message stale;
    CanRead(&stale);
    item_ = state;
    itemEntry_ = entry;
    itemIndex_ = static_cast<uint16_t>(request.data[1] | (request.data[2] << 8));
    itemSub_ = request.data[3];
    Send(request);
    timItem_->Start(intervalMs);
    Notify();
}

void ObjectBrowser::EndItem() {
    item_ = ItemIdle;
    itemSegments_.End();
    timItem_->Stop();
}

void ObjectBrowser::ItemFailed(const std::string& text) {
    const char* caption = item_ == ItemRead || item_ == ItemReadSegments ? kCaptionRead : kCaptionWrite;
    EndItem();
    Notify();
    op_.ShowMessage(text, caption);
}

void ObjectBrowser::timItemTimer() {
    if (item_ == ItemIdle) {
        timItem_->Stop();
        return;
    }
    // One answer per tick; after a segment request its answer is judged on the next tick.
    tagOPEN_Message answer;
    while (CanWaitForId(0, static_cast<int32_t>(SdoAnswerId()), &answer) != CAN_RESULT_NONE) {
        if (answer.rtr || answer.dlc < 8) continue;
        if ((answer.data[0] & 0xE3) >= 0x40 && !AnswerIsAbout(answer, itemIndex_, itemSub_)) continue;
        JudgeItem(answer);
        return;
    }
    ItemFailed("no response");
}

void ObjectBrowser::JudgeItem(const tagOPEN_Message& answer) {
    const uint8_t command = answer.data[0] & 0xE3;
    ObjectEntry* e = itemEntry_ >= 0 && static_cast<size_t>(itemEntry_) < table_.size()
                         ? &table_[static_cast<size_t>(itemEntry_)]
                         : nullptr;
    if (command == 0x80) {
        const uint32_t code = AnswerDword(answer);
        if (e) {
            e->abortCode = code;
            if (item_ == ItemRead) e->readState = EntryReadState::Aborted;
        }
        ItemFailed((item_ == ItemRead || item_ == ItemReadSegments ? std::string("Unknown error")
                                                                   : std::string("Value could not be written")) +
                   "\n" + AbortText(code));
        return;
    }
    switch (item_) {
        case ItemRead:
            if ((command == 0x42 || command == 0x43) && e) {
                e->value = ExpeditedValue(answer);
                e->length = ExpeditedLength(answer.data[0]);
                e->valueText.clear();
                e->readState = EntryReadState::Read;
                {
                    char text[64];
                    std::snprintf(text, sizeof text, "%04X sub %02X: 0x%0*X", e->index, e->subindex, e->length * 2,
                                  e->value);
                    status_ = text;
                }
                EndItem();
                Refill();
                return;
            }
            if (command == 0x40 || command == 0x41) {
                item_ = ItemReadSegments;
                Send(itemSegments_.Begin(answer));
                timItem_->Start(IntervalFromVariable("Timer", kDefaultTimerMs));
                return;
            }
            break;
        case ItemReadSegments: {
            if (command > 0x03) break;
            tagOPEN_Message next;
            switch (itemSegments_.Take(answer, next)) {
                case SegmentedRead::Step::More:
                    Send(next);
                    return;
                case SegmentedRead::Step::Done:
                    if (e) {
                        e->value = 0;
                        e->length = static_cast<int32_t>(itemSegments_.Announced());
                        e->valueText = itemSegments_.Text();
                        e->readState = EntryReadState::Read;
                    }
                    EndItem();
                    Refill();
                    return;
                case SegmentedRead::Step::ToggleError:
                    Send(SdoAbortFrame(itemIndex_, itemSub_, 0x05030000));
                    ItemFailed(kToggleError);
                    return;
                case SegmentedRead::Step::TooLong:
                    Send(SdoAbortFrame(itemIndex_, itemSub_, 0x06070012));
                    ItemFailed(kWrongDataLength);
                    return;
            }
            return;
        }
        case ItemWrite:
        case ItemStore:
            if (command == 0x60) {
                if (item_ == ItemWrite && e) {
                    e->value = itemValue_;
                    e->length = itemLength_;
                    e->valueText.clear();
                    e->readState = EntryReadState::Read;
                }
                status_ = item_ == ItemWrite ? "Object written" : "done";
                EndItem();
                Refill();
                return;
            }
            break;
        case ItemIdle: return;
    }
    ItemFailed("Unknown error");
}

void ObjectBrowser::Refill() {
    grid_ = FillObjectGrid(table_);
    ++gridVersion_;
    Notify();
}

void ObjectBrowser::Notify() {
    if (listener_) listener_();
}
