#include "EncoderObjects.h"

#include "SimBytes.h"

namespace {
struct Def {
    uint16_t index;
    uint8_t sub;
    OdType type;
    OdAccess access;
    uint64_t number;
    const char* name;
    uint32_t flags = 0;
    int64_t min = INT64_MIN;
    int64_t max = INT64_MAX;
};

void Put(ObjectDictionary& od, const Def& d) {
    OdEntry e;
    e.index = d.index;
    e.sub = d.sub;
    e.type = d.type;
    e.access = d.access;
    e.flags = d.flags;
    e.value = LeBytes(d.number, OdTypeSize(d.type));
    e.min = d.min;
    e.max = d.max;
    e.name = d.name;
    od.Add(std::move(e));
}

void PutText(ObjectDictionary& od, uint16_t index, OdAccess access, const std::string& text, size_t capacity,
             const char* name) {
    OdEntry e;
    e.index = index;
    e.type = OdType::Text;
    e.access = access;
    e.maxLength = capacity;
    e.value = text.substr(0, capacity);
    e.name = name;
    od.Add(std::move(e));
}

constexpr auto U8 = OdType::U8;
constexpr auto U16 = OdType::U16;
constexpr auto U32 = OdType::U32;
constexpr auto I16 = OdType::I16;
constexpr auto I32 = OdType::I32;
constexpr auto RO = OdAccess::ReadOnly;
constexpr auto RW = OdAccess::ReadWrite;
constexpr auto WO = OdAccess::WriteOnly;
}  // namespace

bool StorageGroupRange(uint8_t sub, uint16_t& first, uint16_t& last) {
    switch (sub) {
    case 1: first = 0x1000; last = 0x9FFF; return true;  // all parameters
    case 2: first = 0x1000; last = 0x1FFF; return true;  // communication
    case 3: first = 0x6000; last = 0x9FFF; return true;  // application
    case 4: first = 0x2000; last = 0x2FFF; return true;  // manufacturer 0x2xxx
    case 5: first = 0x3000; last = 0x3FFF; return true;  // manufacturer 0x3xxx
    default: return false;
    }
}

void AddEncoderObjects(ObjectDictionary& od, const EncoderOptions& o) {
    uint64_t range = static_cast<uint64_t>(o.resolution) * o.revolutions;
    if (range > 0xFFFFFFFFull) range = 0xFFFFFFFFull;

    Put(od, {0x1000, 0, U32, RO, 0x00020196, "Device type"});  // CiA 406, multiturn absolute
    Put(od, {0x1001, 0, U8, RO, 0, "Error register"});
    Put(od, {0x1005, 0, U32, RW, 0x80, "COB-ID SYNC"});
    PutText(od, 0x1008, OdAccess::Const, o.deviceName, 63, "Manufacturer device name");
    PutText(od, 0x1009, OdAccess::Const, o.hardwareVersion, 63, "Manufacturer hardware version");
    PutText(od, 0x100A, OdAccess::Const, o.softwareVersion, 63, "Manufacturer software version");
    Put(od, {0x100C, 0, U16, RW, 0, "Guard time"});
    Put(od, {0x100D, 0, U8, RW, 0, "Life time factor"});
    for (uint16_t index : {0x1010, 0x1011}) {
        Put(od, {index, 0, U8, RO, 5, "Highest sub-index supported"});
        for (uint8_t sub = 1; sub <= 5; ++sub)
            Put(od, {index, sub, U32, RW, 1, index == 0x1010 ? "Store parameters" : "Restore default parameters",
                     kOdCommand});
    }
    Put(od, {0x1014, 0, U32, RW, 0x80, "COB-ID EMCY", kOdNodeRelative});
    Put(od, {0x1015, 0, U16, RW, 0, "Inhibit time EMCY"});
    Put(od, {0x1017, 0, U16, RW, 0, "Producer heartbeat time"});
    Put(od, {0x1018, 0, U8, RO, 4, "Identity object"});
    Put(od, {0x1018, 1, U32, RO, o.vendorId, "Vendor-ID"});
    Put(od, {0x1018, 2, U32, RO, o.productCode, "Product code"});
    Put(od, {0x1018, 3, U32, RO, o.revision, "Revision number"});
    Put(od, {0x1018, 4, U32, RO, o.serial, "Serial number"});
    Put(od, {0x1200, 0, U8, RO, 2, "SDO server parameter"});
    Put(od, {0x1200, 1, U32, RO, 0x600, "COB-ID client to server", kOdNodeRelative | kOdNoStore});
    Put(od, {0x1200, 2, U32, RO, 0x580, "COB-ID server to client", kOdNodeRelative | kOdNoStore});
    const struct {
        uint16_t comm, map;
        uint32_t cob;
        uint8_t type;
    } pdos[] = {{0x1800, 0x1A00, 0x180, 0xFE}, {0x1801, 0x1A01, 0x280, 0x01}};
    for (const auto& p : pdos) {
        Put(od, {p.comm, 0, U8, RO, 5, "TPDO communication parameter"});
        Put(od, {p.comm, 1, U32, RW, p.cob, "COB-ID", kOdNodeRelative});
        Put(od, {p.comm, 2, U8, RW, p.type, "Transmission type"});
        Put(od, {p.comm, 3, U16, RW, 0, "Inhibit time"});
        Put(od, {p.comm, 5, U16, RW, 0, "Event timer"});
    }
    Put(od, {0x1A00, 0, U8, RO, 1, "TPDO1 mapping"});
    Put(od, {0x1A00, 1, U32, RO, 0x60040020, "Position value"});
    Put(od, {0x1A01, 0, U8, RO, 2, "TPDO2 mapping"});
    Put(od, {0x1A01, 1, U32, RO, 0x60040020, "Position value"});
    Put(od, {0x1A01, 2, U32, RO, 0x60300110, "Speed value"});

    Put(od, {0x2000, 0, U8, RW, 0, "EEPROM write disable", 0, 0, 1});
    Put(od, {0x2001, 0, U32, RW, 0, "Magnet number"});
    Put(od, {0x2002, 0, U32, RW, 0, "Variant"});
    Put(od, {0x2003, 0, U32, RO, 0x700, "COB-ID node guarding and heartbeat", kOdNodeRelative});
    Put(od, {0x2004, 0, U8, RW, o.nodeId, "Node id (after reset)", kOdNoStore, 1, 255});
    Put(od, {0x2005, 0, U8, RW, 0, "Bit rate index (after reset)", kOdNoStore, 0, 8});
    Put(od, {0x2010, 0, U32, WO, 0, "Set position to zero (write 1)", kOdCommand, 1, 1});
    PutText(od, 0x2011, RW, "", 32, "User text");
    // A long read-only record, for segmented uploads of many segments.
    std::string log(kProductionLogBytes, ' ');
    for (size_t i = 0; i < log.size(); ++i) log[i] = static_cast<char>('A' + i % 26);
    PutText(od, 0x2012, OdAccess::Const, log, kProductionLogBytes, "Production log");
    Put(od, {0x3000, 0, U32, RW, 0, "Customer value"});

    Put(od, {0x6000, 0, U16, RW, 0x0004, "Operating parameters"});
    Put(od, {0x6001, 0, U32, RW, o.resolution, "Measuring units per revolution"});
    Put(od, {0x6002, 0, U32, RW, range, "Total measuring range"});
    Put(od, {0x6003, 0, U32, RW, 0, "Preset value", kOdNoStore});
    Put(od, {0x6004, 0, U32, RO, 0, "Position value", kOdMappable});
    Put(od, {0x6030, 0, U8, RO, 1, "Speed value"});
    Put(od, {0x6030, 1, I16, RO, 0, "Speed value (rpm)", kOdMappable});
    Put(od, {0x6200, 0, U16, RW, 0, "Cyclic timer"});
    Put(od, {0x6500, 0, U16, RO, 0x0004, "Operating status"});
    Put(od, {0x6501, 0, U32, RO, o.resolution, "Singleturn resolution"});
    Put(od, {0x6502, 0, U16, RO, o.revolutions, "Number of distinguishable revolutions"});
    Put(od, {0x6508, 0, U32, RO, 0, "Operating time"});
    Put(od, {0x6509, 0, I32, RO, 0, "Offset value", kOdPersistent});
    Put(od, {0x650A, 0, U8, RO, 3, "Module identification"});
    Put(od, {0x650A, 1, I32, RO, 0, "Manufacturer offset value"});
    Put(od, {0x650A, 2, U32, RO, 0, "Manufacturer minimum position value"});
    Put(od, {0x650A, 3, U32, RO, range - 1, "Manufacturer maximum position value"});
    Put(od, {0x650B, 0, U32, RO, o.serial, "Serial number"});
}
