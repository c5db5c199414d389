#include "SdoDialogFields.h"

#include "Ports.h"

bool EditSdoDialogFields(std::vector<SdoDialogField>& fields) {
    EditFieldSet set;
    if (fields.empty() || fields.size() > set.size()) return false;
    for (size_t k = 0; k < fields.size(); ++k) set[k] = {true, false, fields[k].caption, fields[k].text, 0};
    if (!CurrentOperator().EditFields(set)) return false;
    for (size_t k = 0; k < fields.size(); ++k) fields[k].text = set[k].text;
    return true;
}
