#pragma once
// Loading the PCAN-Basic library at run time and resolving its eight calls. A library, once
// complete, stays loaded for the life of the process and is shared by every interface that
// names the same file; a failed attempt is not remembered, so a library installed later is
// found on the next try.

#include <memory>
#include <string>

#include "PcanBasicAbi.h"

struct PcanApi {
    PFN_CAN_Initialize Initialize = nullptr;
    PFN_CAN_Uninitialize Uninitialize = nullptr;
    PFN_CAN_GetStatus GetStatus = nullptr;
    PFN_CAN_Write Write = nullptr;
    PFN_CAN_Read Read = nullptr;
    PFN_CAN_Reset Reset = nullptr;
    PFN_CAN_GetErrorText GetErrorText = nullptr;
    PFN_CAN_GetValue GetValue = nullptr;
};

// The error text of a failed load (missing file, not a library, or a call missing).
inline constexpr const char* kPcanLibraryNotFound = "PCAN BASIC driver DLL not found";

// The calls of the library file `path`, all eight resolved; null with `error` set to
// kPcanLibraryNotFound (and `detail` to the reason) when the file cannot be loaded or lacks
// one of them.
std::shared_ptr<const PcanApi> LoadPcanLibrary(const std::string& path, std::string& error, std::string* detail = nullptr);
