#include "SdoInteractive.h"

namespace {
std::vector<SdoDialogField>& UploadFields() {
    static std::vector<SdoDialogField> fields{{"Object Index", ""}, {"Object Subindex", ""}};
    return fields;
}

std::vector<SdoDialogField>& DownloadFields() {
    static std::vector<SdoDialogField> fields{
        {"Object Index", ""}, {"Object Subindex", ""}, {"Value", ""}, {"Data length (1...4)", ""}};
    return fields;
}

// Runs the dialog on a copy, so a cancelled dialog changes nothing; OK keeps the texts.
bool Ask(const SdoEditDialog& dialog, std::vector<SdoDialogField>& remembered) {
    if (!dialog) return false;
    std::vector<SdoDialogField> fields = remembered;
    if (!dialog(fields) || fields.size() != remembered.size()) return false;
    for (size_t i = 0; i < fields.size(); ++i) remembered[i].text = fields[i].text;
    return true;
}
}  // namespace

bool BuildSdoUploadInstruction(const SdoEditDialog& dialog, TestInstruction& record) {
    auto& fields = UploadFields();
    if (!Ask(dialog, fields)) return false;
    record = TestInstruction{};
    record.command = "B:SDO_UpInit";
    record.param1 = "Index:" + fields[0].text;
    record.param2 = "Sub:" + fields[1].text;
    return true;
}

bool BuildSdoDownloadInstruction(const SdoEditDialog& dialog, TestInstruction& record) {
    auto& fields = DownloadFields();
    if (!Ask(dialog, fields)) return false;
    record = TestInstruction{};
    record.command = "B:SDO_DownInitExped";
    record.param1 = "Index:" + fields[0].text;
    record.param2 = "Sub:" + fields[1].text;
    record.param3 = "Value:" + fields[2].text;
    record.param4 = "Len:" + fields[3].text;
    return true;
}
