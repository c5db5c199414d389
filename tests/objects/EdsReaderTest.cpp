// The EDS reader over line arrays: the object lists, records and arrays, the forms found in
// vendor files, and the failures with their messages and lines.

#include <gtest/gtest.h>

#include <map>

#include "EdsReader.h"
#include "TextLines.h"

namespace {
EdsLoadResult Load(const std::string& text) { return LoadObjects(SplitLines(text)); }

// A small but complete file: 0x1000, 0x1018 (record, sub 0..4), an optional 0x1017 and a
// manufacturer array 0x2000.
const char* kBase = R"([FileInfo]
FileName=test.eds

[MandatoryObjects]
SupportedObjects=2
1=0x1000
2=0x1018

[1000]
ParameterName=Device Type
ObjectType=0x7
DataType=0x0007
AccessType=ro
DefaultValue=0x00020196

[1018]
ParameterName=Identity Object
ObjectType=0x9
SubNumber=5

[1018sub0]
ParameterName=Number of entries
DataType=0x0005
AccessType=ro
DefaultValue=4

[1018sub1]
ParameterName=Vendor Id
DataType=0x0007
AccessType=ro
DefaultValue=0x000003A2

[1018sub2]
ParameterName=Product Code
DataType=0x0007
AccessType=ro

[1018sub3]
ParameterName=Revision number
DataType=0x0007
AccessType=ro

[1018sub4]
ParameterName=Serial number
DataType=0x0007
AccessType=ro

[OptionalObjects]
SupportedObjects=1
1=0x1017

[1017]
ParameterName=Producer Heartbeat Time
ObjectType=7
DataType=6
AccessType=rw
DefaultValue=0

[ManufacturerObjects]
SupportedObjects=1
1=0x2000

[2000]
ParameterName=Magnets
ObjectType=8
SubNumber=2

[2000sub0]
ParameterName=Count
DataType=5
AccessType=ro

[2000sub1]
ParameterName=Magnet 1
DataType=7
AccessType=rw
DefaultValue=$NODEID+0x180
)";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct Row {
    uint32_t index, sub;
    int32_t length;
    bool header;
    const char* name;
    const char* access;
};

void ExpectRows(const EdsLoadResult& r, const std::vector<Row>& rows) {
    ASSERT_EQ(r.entries.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        const ObjectEntry& e = r.entries[i];
        EXPECT_EQ(e.index, rows[i].index);
        EXPECT_EQ(e.subindex, rows[i].sub);
        EXPECT_EQ(e.length, rows[i].length);
        EXPECT_EQ(e.header, rows[i].header);
        EXPECT_EQ(e.name, rows[i].name);
        EXPECT_EQ(e.accessType, rows[i].access);
    }
}

const std::vector<Row> kBaseRows = {
    {0x1000, 0, 7, false, "DeviceType", "ro"},
    {0x1018, 0xFFFF, 0, true, "IdentityObject", ""},
    {0x1018, 0, 5, false, "Numberofentries", "ro"},
    {0x1018, 1, 7, false, "VendorId", "ro"},
    {0x1018, 2, 7, false, "ProductCode", "ro"},
    {0x1018, 3, 7, false, "Revisionnumber", "ro"},
    {0x1018, 4, 7, false, "Serialnumber", "ro"},
    {0x1017, 0, 6, false, "ProducerHeartbeatTime", "rw"},
    {0x2000, 0xFFFF, 0, true, "Magnets", ""},
    {0x2000, 0, 5, false, "Count", "ro"},
    {0x2000, 1, 7, false, "Magnet1", "rw"},
};
}  // namespace

TEST(EdsReader, ReadsTheThreeListsRecordsAndArraysAndFillsItsCapacity) {
    const EdsLoadResult r = Load(kBase);
    EXPECT_TRUE(r.ok) << r.error;
    ExpectRows(r, kBaseRows);
    EXPECT_EQ(r.capacity, r.entries.size());
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.entries[0].defaultValue, "0x00020196");
    EXPECT_EQ(r.entries[10].defaultValue, "$NODEID+0x180");
    EXPECT_EQ(r.entries[0].dataType, 7);
}

// Forms written by other tools: each must read to the same table as the base file.
TEST(EdsReader, FieldFormsReadLikeTheBaseFile) {
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"upper-case section names and hex digits", Replace(Replace(Replace(kBase, "[1018sub", "[1018SUB"),
                                                                    "[MandatoryObjects]", "[MANDATORYOBJECTS]"),
                                                            "[2000sub", "[2000Sub")},
        {"CR LF line ends", Replace(kBase, "\n", "\r\n")},
        {"blanks around = and indented keys", Replace(Replace(kBase, "SubNumber=", "   SubNumber = "),
                                                      "DataType=", "\tDataType =")},
        {"keys in any case", Replace(Replace(kBase, "ParameterName=", "PARAMETERNAME="), "ObjectType=", "objecttype=")},
        {"comment lines", Replace(kBase, "\n[", "\n; a comment\n[")},
        {"UTF-8 byte order mark", "\xEF\xBB\xBF" + std::string(kBase)},
        {"sub-index sections with leading zeros", Replace(kBase, "[1018sub", "[1018sub0")},
        {"lists behind the object sections",
         Replace(std::string(kBase), "[ManufacturerObjects]\nSupportedObjects=1\n1=0x2000\n", "") +
             "\n[ManufacturerObjects]\nSupportedObjects=1\n1=0x2000\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const EdsLoadResult r = Load(c.text);
        EXPECT_TRUE(r.ok) << r.error;
        ExpectRows(r, kBaseRows);
    }
}

TEST(EdsReader, NamesComeFromWindows1252OrUtf8) {
    const EdsLoadResult latin = Load(Replace(kBase, "Device Type", "Ger\xE4tetyp \x80"));
    ASSERT_TRUE(latin.ok);
    EXPECT_EQ(latin.entries[0].name, "Ger\xC3\xA4tetyp\xE2\x82\xAC");
    const EdsLoadResult utf8 = Load(Replace(kBase, "Device Type", "Ger\xC3\xA4tetyp"));
    ASSERT_TRUE(utf8.ok);
    EXPECT_EQ(utf8.entries[0].name, "Ger\xC3\xA4tetyp");
}

TEST(EdsReader, LimitsAreKeptAsLimits) {
    const EdsLoadResult r = Load(Replace(Replace(kBase, "Device Type", std::string(240, 'x') + " tail"),
                                         "AccessType=rw", "AccessType=readwrite"));
    ASSERT_TRUE(r.ok);
    EXPECT_LE(r.entries[0].name.size(), kEntryNameChars);
    EXPECT_EQ(r.entries[7].accessType, "readwr");
}

TEST(EdsReader, CompactSubObjArrays) {
    std::string text = Replace(kBase, "ObjectType=8\nSubNumber=2", "ObjectType=8\nCompactSubObj=3\nDataType=7\nAccessType=rw");
    text += "\n[2000Name]\nNrOfEntries=1\n2=Second magnet\n\n[2000Value]\nNrOfEntries=1\n3=0x33\n";
    const EdsLoadResult r = Load(text);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.entries.size(), 8u + 5u);
    const ObjectEntry* e = &r.entries[8];
    EXPECT_TRUE(e[0].header);
    EXPECT_EQ(e[1].subindex, 0u);
    EXPECT_EQ(e[1].defaultValue, "3");
    EXPECT_EQ(e[2].name, "Magnets1");
    EXPECT_EQ(e[3].name, "Secondmagnet");
    EXPECT_EQ(e[4].defaultValue, "0x33");
    EXPECT_EQ(e[4].accessType, "rw");
    EXPECT_EQ(e[4].length, 7);
    EXPECT_EQ(r.capacity, r.entries.size());
}

TEST(EdsReader, MissingOptionalPartsAreNotErrors) {
    // No optional or manufacturer list, no ObjectType (a variable), no AccessType.
    const EdsLoadResult r = Load(
        "[MandatoryObjects]\nSupportedObjects=1\n1=0x1001\n[1001]\nParameterName=Error register\nDataType=5\n");
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].length, 5);
    EXPECT_EQ(r.entries[0].accessType, "");
}

// Failures: the message, its caption and the line it belongs to; what was read stays.
TEST(EdsReader, FailuresNameTheLine) {
    const struct {
        const char* what;
        std::string text;
        const char* error;
        const char* caption;
        int line;
        size_t kept;
    } cases[] = {
        {"no [MandatoryObjects]", Replace(kBase, "[MandatoryObjects]", "[Mandatory]"), " Datei ist keine EDS Datei",
         "EDS DATEI LADEN", 0, 0},
        {"listed object without section", Replace(kBase, "[1000]", "[1001]"), "Eintrag nicht gefunden \n - [1000] -",
         "LoadObjects", 6, 0},
        {"missing sub-index section", Replace(kBase, "[1018sub4]", "[Other]"),
         "Eintrag nicht gefunden \n - [1018sub4] -", "LoadObjects", 16, 6},
        {"sub-index section without ]", Replace(kBase, "[1018sub2]", "[1018sub2"),
         "Fehler in der EDS Datei \n - [1018sub - \n - [1018sub2 -", "LoadObjects", 33, 4},
        {"sub-index above 0xFF", Replace(kBase, "[1018sub4]", "[1018subFFFF]"),
         "Eintrag nicht gefunden \n - [1018subFFFF] -", "LoadObjects", 43, 6},
        {"fewer list lines than announced", Replace(kBase, "SupportedObjects=2", "SupportedObjects=3"),
         "Eintrag nicht gefunden \n - 3= -", "LoadObjects", 4, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const EdsLoadResult r = Load(c.text);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.caption, c.caption);
        EXPECT_EQ(r.errorLine, c.line);
        EXPECT_EQ(r.entries.size(), c.kept);
    }
    const EdsLoadResult r = Load(Replace(kBase, "[1000]", "[1001]"));
    EXPECT_EQ(EdsErrorMessage(r, "dev.eds"), "Eintrag nicht gefunden \n - [1000] -\ndev.eds, line 6");
}

TEST(EdsReader, UnreadableValuesAreReportedWithTheirLine) {
    const EdsLoadResult r = Load(Replace(kBase, "DataType=6", "DataType=UNSIGNED16"));
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0].line, 55);
    EXPECT_EQ(EdsWarningText(r, "a.eds"), "a.eds, line 55: datatype=UNSIGNED16 is not a number\n");
}

// The capacity counts what the look-ups find (indented SubNumber lines too), and an
// inconsistent file never makes the reader write past what it counted or crash.
TEST(EdsReader, CapacityAgreesWithLookUps) {
    EXPECT_EQ(Load(Replace(kBase, "SubNumber=5", "   SubNumber=5")).capacity, 11u);
    // The same object listed twice: more entries than the count; nothing overruns.
    const EdsLoadResult twice = Load(Replace(kBase, "1=0x1017", "1=0x1018"));
    EXPECT_TRUE(twice.ok);
    EXPECT_EQ(twice.entries.size(), 16u);
    // A huge SubNumber stops at the first missing sub-index section.
    const EdsLoadResult huge = Load(Replace(kBase, "SubNumber=5", "SubNumber=4294967295"));
    EXPECT_FALSE(huge.ok);
    EXPECT_EQ(huge.entries.size(), 7u);
}

TEST(EdsReader, EvaluatesIntegersWithNodeId) {
    const struct {
        const char* text;
        bool ok;
        uint32_t value;
    } cases[] = {
        {"0x180", true, 0x180},     {"$NODEID+0x180", true, 0x185}, {"0x180 + $NodeId", true, 0x185},
        {"$NODEID", true, 5},       {"100", true, 100},             {"010", true, 8},
        {"-1", true, 0xFFFFFFFF},   {"0xFFFFFFFF", true, 0xFFFFFFFF}, {"0x100000000", false, 0},
        {"", false, 0},             {"QZ Encoder", false, 0},       {"1.5", false, 0},
        {"0x", false, 0},           {"08", false, 0},               {"+", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        uint32_t v = 0;
        EXPECT_EQ(EvaluateEdsInteger(c.text, 5, v), c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
}

// Files of three device kinds written in other styles: an I/O module (CompactSubObj, names
// section, Windows-1252 units, blanks around "="), a drive's DCF (upper case, "[1A00Sub1]",
// ParameterValue), an inclinometer (lists behind the objects, LF line ends, a sub-index gap).
TEST(EdsReader, DeviceFilesOfThreeKinds) {
    const struct {
        const char* file;
        size_t entries;
    } files[] = {{"io-module-cia401.eds", 46}, {"servo-drive-cia402.dcf", 40}, {"inclinometer-cia410.eds", 16}};
    std::map<std::string, EdsLoadResult> loaded;
    for (const auto& f : files) {
        SCOPED_TRACE(f.file);
        const EdsLoadResult r = LoadEdsFile(std::string(QUARZEL_EXAMPLES_DIR) + "/eds/" + f.file);
        EXPECT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(r.warnings.empty()) << EdsWarningText(r, f.file);
        EXPECT_EQ(r.entries.size(), f.entries);
        EXPECT_EQ(r.capacity, f.entries);
        loaded[f.file] = r;
    }
    auto find = [&](const char* file, uint32_t index, uint32_t sub) -> const ObjectEntry& {
        for (const ObjectEntry& e : loaded[file].entries)
            if (e.index == index && e.subindex == sub) return e;
        static const ObjectEntry none;
        ADD_FAILURE() << file << " " << std::hex << index << " sub " << sub;
        return none;
    };
    EXPECT_EQ(find("io-module-cia401.eds", 0x6401, 3).name, "AI34\xC2\xB7" "20mA");
    EXPECT_EQ(find("io-module-cia401.eds", 0x6401, 4).name, "AI4Pt100\xC2\xB0" "C");
    EXPECT_EQ(find("io-module-cia401.eds", 0x6421, 2).defaultValue, "0x07");
    EXPECT_EQ(find("io-module-cia401.eds", 0x6200, 1).accessType, "rww");
    EXPECT_EQ(find("servo-drive-cia402.dcf", 0x100C, 0).defaultValue, "100");
    EXPECT_EQ(find("servo-drive-cia402.dcf", 0x1A00, 2).defaultValue, "0x60640020");
    EXPECT_EQ(find("servo-drive-cia402.dcf", 0x607D, 1).defaultValue, "-100000");
    EXPECT_EQ(find("inclinometer-cia410.eds", 0x1008, 0).defaultValue, "INC-2A dual axis");
    EXPECT_EQ(find("inclinometer-cia410.eds", 0x1800, 5).length, 6);
    uint32_t cob = 0;
    EXPECT_TRUE(EvaluateEdsInteger(find("inclinometer-cia410.eds", 0x1800, 1).defaultValue, 3, cob));
    EXPECT_EQ(cob, 0x183u);
}
