#include "ObjectsLanguageTables.h"

#include "LanguageRows.h"

void RegisterObjectsLanguageTables() {
    RegisterLanguageTable("TformObjects", {
                                              {TextKind::Title, "", "Load objects"},
                                              {TextKind::Button, "btnSchreiben", "&Write"},
                                              {TextKind::Button, "btnLesen", "&Read"},
                                              {TextKind::Button, "btnBeenden", "&Close"},
                                              {TextKind::Hint, "btnExport", "Export objects to a .csv file."},
                                              {TextKind::MenuItem, "mnuDatei", "File"},
                                              {TextKind::MenuItem, "mnuLoadEds", "Load EDS file"},
                                              {TextKind::Button, "btnCancel", "Cancel"},
                                              {TextKind::Button, "btnCompare", "Compare with device"},
                                          });
    RegisterLanguageTable("TformEdsCompare", {
                                                 {TextKind::Title, "", "Compare device with EDS"},
                                                 {TextKind::Button, "btnCancel", "Cancel"},
                                                 {TextKind::Button, "btnClose", "Close"},
                                             });
    RegisterLanguageTable("TformCanParMem", {
                                                {TextKind::Title, "", "Parameter memory"},
                                                {TextKind::Button, "btnLoadMemoryFile", "Load memory file"},
                                                {TextKind::Button, "btnClose", "Close"},
                                            });
}
