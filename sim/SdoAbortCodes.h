#pragma once
// The SDO abort codes of CiA 301 that the simulated devices give.

#include <cstdint>

enum SdoAbortCode : uint32_t {
    kSdoOk = 0,
    kSdoToggleBit = 0x05030000,
    kSdoTimeout = 0x05040000,
    kSdoUnknownCommand = 0x05040001,
    kSdoOutOfMemory = 0x05040005,
    kSdoUnsupportedAccess = 0x06010000,
    kSdoWriteOnly = 0x06010001,
    kSdoReadOnly = 0x06010002,
    kSdoNoObject = 0x06020000,
    kSdoNotMappable = 0x06040041,
    kSdoLengthMismatch = 0x06070010,
    kSdoLengthTooHigh = 0x06070012,
    kSdoLengthTooLow = 0x06070013,
    kSdoNoSubIndex = 0x06090011,
    kSdoValueRange = 0x06090030,
    kSdoValueTooHigh = 0x06090031,
    kSdoValueTooLow = 0x06090032,
    kSdoGeneral = 0x08000000,
    kSdoCannotStore = 0x08000020,
    kSdoCannotStoreLocal = 0x08000021,
    kSdoCannotStoreState = 0x08000022,
};
