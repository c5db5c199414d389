#pragma once
// The SDO client's single-command builders ask for their fields through this: the operator's
// edit dialog with one number field per caption.

#include <vector>

#include "SdoInteractive.h"

// Shows `fields` (at most six; captions and texts) in the edit dialog as number fields; on OK
// the entered texts are written back and the result is true.
bool EditSdoDialogFields(std::vector<SdoDialogField>& fields);
