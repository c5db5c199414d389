#include "ObjectEntry.h"

int DataTypeSize(uint16_t dataType) {
    switch (dataType) {
        case 0x01:  // BOOLEAN
        case 0x02:  // INTEGER8
        case 0x05:  // UNSIGNED8
            return 1;
        case 0x03:  // INTEGER16
        case 0x06:  // UNSIGNED16
            return 2;
        case 0x10:  // INTEGER24
        case 0x16:  // UNSIGNED24
            return 3;
        case 0x04:  // INTEGER32
        case 0x07:  // UNSIGNED32
        case 0x08:  // REAL32
            return 4;
        case 0x12:  // INTEGER40
        case 0x18:  // UNSIGNED40
            return 5;
        case 0x0C:  // TIME_OF_DAY
        case 0x0D:  // TIME_DIFFERENCE
        case 0x13:  // INTEGER48
        case 0x19:  // UNSIGNED48
            return 6;
        case 0x14:  // INTEGER56
        case 0x1A:  // UNSIGNED56
            return 7;
        case 0x11:  // REAL64
        case 0x15:  // INTEGER64
        case 0x1B:  // UNSIGNED64
            return 8;
        default: return 0;
    }
}

int EntryByteLength(const ObjectEntry& e) {
    if (e.readState == EntryReadState::Read) return e.length;
    const int size = DataTypeSize(e.dataType);
    return size > 0 ? size : e.length;
}
