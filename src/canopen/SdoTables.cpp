#include "SdoTables.h"

#include <array>

namespace {
struct NamedByte {
    const char* name;
    uint8_t value;
};

constexpr std::array<NamedByte, 5> kSpecifiers{{
    {"SDO_Abort", 0x80},
    {"SDO_UpInit", 0x40},
    {"SDO_DownInitExped", 0x22},
    {"SDO_DownInit", 0x20},
    {"SDO_DownSegment", 0x00},
}};

// Block transfer is not implemented; its answers are only named.
constexpr std::array<NamedByte, 14> kAnswers{{
    {"SDO_Abort", 0x80},
    {"SDO_UpNormal_Res", 0x40},
    {"SDO_UpNormal_Length_Res", 0x41},
    {"SDO_UpSeg_Res", 0x00},
    {"SDO_UpExp_Res", 0x42},
    {"SDO_UpExp_Length_Res", 0x43},
    {"SDO_UpInitBlkCRC_Res", 0xC4},
    {"SDO_UpInitBlk_Res", 0xC0},
    {"SDO_UpEndBlk_Res", 0xC1},
    {"SDO_DownInit_Res", 0x60},
    {"SDO_DownSegment_Res", 0x20},
    {"SDO_DownInitBlkCRC_Res", 0xA4},
    {"SDO_DownInitBlk_Res", 0xA0},
    {"SDO_DownEndBlk_Res", 0xA1},
}};

constexpr std::array<SdoAbortEntry, 30> kAbortCodes{{
    {0x05030000, "Err_Togglebit", "Toggle bit not alternated"},
    {0x05040000, "Err_SDO_Timeout", "SDO protocol timed out"},
    {0x05040001, "Err_UnknowComm", "Command spezifier not valid or unknown"},
    {0x05040002, "Err_Blocklength", "Invalid block size"},
    {0x05040003, "Err_SequenzNbr", "Invalid sequenze number"},
    {0x05040004, "Err_CRC", "CRC error"},
    {0x05040005, "Err_No_Memory", "Out of memory"},
    {0x06010000, "Err_Unsupported_Access", "Unsupported access ta an object"},
    {0x06010001, "Err_onlyWrite", "Attemp to read a write only object"},
    {0x06010002, "Err_onlyRead", "Attemp to write a read only object"},
    {0x06020000, "Err_ObjectNotExist", "Object does not exist in the object dictionary"},
    {0x06040041, "Err_ObjectCanotMapped", "object cannot be mapped to the PDO"},
    {0x06040042, "Err_MappingExceed", "The number and length of the objects to be mapped would exeed PDO length"},
    {0x06040043, "Err_GeneralIncompatibility", "General parameter incompatibility reason"},
    {0x06040047, "Err_GeneralIncompatibility_Device", " General internal incompatibility in the device"},
    {0x06060000, "Err_HardwareError", " Access failed due to an hardware error"},
    {0x06070010, "Err_DattypNotMatch", "Data type does not match, length of service parameter dies not match"},
    {0x06070012, "Err_DattypTooHigh", "Data type does not match, length of service parameter too high"},
    {0x06070013, "Err_DattypTooLow", "Data type does not match, length of service parameter too low"},
    {0x06090011, "Err_SubIndexNotExist", "Sub-index does not exist"},
    {0x06090030, "Err_RangeExceed", "Value range of parameter exceeded"},
    {0x06090031, "Err_RangeTooHigh", "Value of parameter written too high"},
    {0x06090032, "Err_RangeTooLow", "Value of parameter written too low"},
    {0x06090036, "Err_ValueMaxLessMin", "Maximum value is less then minimum value"},
    {0x08000000, "Err_General", "general error"},
    {0x08000020, "Err_DataNotStored", "Data cannot be transferred or stored to the application"},
    {0x08000021, "Err_DataNotStoredLocal",
     "Data cannot be transferred or stored to the application because of local control"},
    {0x08000022, "Err_DataNotStoredDevice",
     "Data cannot be transferred or stored to the application because of the present device state"},
    {0x08000023, "Err_ObjectDictionaryNotPresent",
     "Object dictionary dynamic generation fails of no object dictionary ist present"},
    {0x08000024, "Err_NoDataAvaliable", "No data available"},
}};
}  // namespace

std::optional<uint8_t> SdoSpecifierOf(std::string_view name) {
    for (const auto& s : kSpecifiers)
        if (name == s.name) return s.value;
    return std::nullopt;
}

const char* SdoAnswerName(uint8_t maskedByte0) {
    for (const auto& a : kAnswers)
        if (a.value == maskedByte0) return a.name;
    return nullptr;
}

std::span<const SdoAbortEntry> SdoAbortCodes() { return kAbortCodes; }

const SdoAbortEntry* FindSdoAbortCode(uint32_t code) {
    for (const auto& a : kAbortCodes)
        if (a.code == code) return &a;
    return nullptr;
}
