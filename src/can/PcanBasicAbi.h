#pragma once
// The PCAN-Basic library's records and calls as its ABI defines them (16-bit handles).

#include <cstdint>

#if defined(_WIN32)
#define QZ_PCAN_API __stdcall
#else
#define QZ_PCAN_API
#endif

using TPCANHandle = uint16_t;
using TPCANStatus = uint32_t;
using TPCANParameter = uint8_t;
using TPCANBaudrate = uint16_t;
using TPCANType = uint8_t;
using TPCANMessageType = uint8_t;

#pragma pack(push, 1)
struct TPCANMsg {
    uint32_t ID;
    TPCANMessageType MSGTYPE;
    uint8_t LEN;
    uint8_t DATA[8];
};
struct TPCANTimestamp {
    uint32_t millis;
    uint16_t millis_overflow;
    uint16_t micros;
};
#pragma pack(pop)

// Library status values the station distinguishes.
enum : TPCANStatus {
    PCAN_ERROR_OK = 0x00000,
    PCAN_ERROR_XMTFULL = 0x00001,
    PCAN_ERROR_OVERRUN = 0x00002,
    PCAN_ERROR_BUSLIGHT = 0x00004,
    PCAN_ERROR_BUSHEAVY = 0x00008,
    PCAN_ERROR_BUSOFF = 0x00010,
    PCAN_ERROR_QRCVEMPTY = 0x00020,
    PCAN_ERROR_QOVERRUN = 0x00040,
    PCAN_ERROR_QXMTFULL = 0x00080,
    PCAN_ERROR_NODRIVER = 0x00200,
    PCAN_ERROR_ILLHW = 0x01400,
    PCAN_ERROR_RESOURCE = 0x02000,
    PCAN_ERROR_INITIALIZE = 0x4000000,
    PCAN_ERROR_ILLOPERATION = 0x8000000,
};

// Parameters of CAN_GetValue the station asks for.
enum : TPCANParameter {
    PCAN_DEVICE_NUMBER = 0x01,
    PCAN_API_VERSION = 0x05,
    PCAN_CHANNEL_VERSION = 0x06,
    PCAN_HARDWARE_NAME = 0x0E,
};

using PFN_CAN_Initialize = TPCANStatus(QZ_PCAN_API*)(TPCANHandle, TPCANBaudrate, TPCANType, uint32_t,
                                                     uint16_t);
using PFN_CAN_Uninitialize = TPCANStatus(QZ_PCAN_API*)(TPCANHandle);
using PFN_CAN_Reset = TPCANStatus(QZ_PCAN_API*)(TPCANHandle);
using PFN_CAN_GetStatus = TPCANStatus(QZ_PCAN_API*)(TPCANHandle);
using PFN_CAN_Read = TPCANStatus(QZ_PCAN_API*)(TPCANHandle, TPCANMsg*, TPCANTimestamp*);
using PFN_CAN_Write = TPCANStatus(QZ_PCAN_API*)(TPCANHandle, TPCANMsg*);
using PFN_CAN_GetErrorText = TPCANStatus(QZ_PCAN_API*)(TPCANStatus, uint16_t, char*);
using PFN_CAN_GetValue = TPCANStatus(QZ_PCAN_API*)(TPCANHandle, TPCANParameter, void*, uint32_t);

// Library time stamp -> microseconds (64-bit, overflow count in units of 2^32 ms).
inline uint64_t PcanTimestampToMicroseconds(const TPCANTimestamp& ts) {
    return static_cast<uint64_t>(ts.millis) * 1000u + ts.micros +
           static_cast<uint64_t>(ts.millis_overflow) * 1000u * 0x100000000ull;
}
