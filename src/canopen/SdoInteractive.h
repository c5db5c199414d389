#pragma once
// The single SDO commands of the menus: an edit dialog asks for the object (and the value) and
// the answers become an instruction record that the runner executes in interactive mode.

#include <functional>
#include <string>
#include <vector>

#include "TestInstruction.h"

// One field of the edit dialog: its caption, and its text (shown on opening, returned on OK).
struct SdoDialogField {
    std::string caption;
    std::string text;
};

// Shows the dialog with `fields` and lets the person change their texts; false on cancel.
using SdoEditDialog = std::function<bool(std::vector<SdoDialogField>& fields)>;

// Upload: asks for "Object Index" and "Object Subindex"; on OK writes "B:SDO_UpInit",
// "Index:<index>" and "Sub:<subindex>" into `record` (all other fields empty). False on cancel
// (`record` unchanged). The texts entered are offered again at the next opening.
bool BuildSdoUploadInstruction(const SdoEditDialog& dialog, TestInstruction& record);
// Download: asks for "Object Index", "Object Subindex", "Value" and "Data length (1...4)"; on OK
// writes "B:SDO_DownInitExped", "Index:", "Sub:", "Value:" and "Len:" with the texts.
bool BuildSdoDownloadInstruction(const SdoEditDialog& dialog, TestInstruction& record);
