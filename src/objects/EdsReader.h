#pragma once
// The EDS reader: turns the lines of an electronic data sheet (or a DCF) into the flat object
// table the object browser shows. It reads the three object lists, each listed object's type,
// name, access type and data type, and the sub-entries of arrays and records (sub-index
// sections "[1018sub1]" in any case, or CompactSubObj). Values keep no blanks.
//
// Files as found in the field load too: section names and keys in any case, blanks around "=",
// comment lines, indented lines, a UTF-8 byte order mark, missing optional keys (ObjectType
// defaults to 7, a missing [OptionalObjects] or [ManufacturerObjects] list counts 0).

#include <string>
#include <string_view>
#include <vector>

#include "ObjectEntry.h"

// A problem found in the file, with the 1-based line it belongs to (0: the file as a whole).
struct EdsProblem {
    int line = 0;
    std::string text;
};

struct EdsLoadResult {
    ObjectTable entries;
    // The number of entries the file announces: the three lists' SupportedObjects plus every
    // SubNumber (or CompactSubObj + 1) of an object section.
    size_t capacity = 0;
    // False when loading stopped; `error` and `caption` hold the message to show and
    // `errorLine` the line it belongs to. The entries read before the failure are kept.
    bool ok = true;
    std::string error;
    std::string caption;
    int errorLine = 0;
    // Values that could not be read as numbers, and other things skipped (loading went on).
    std::vector<EdsProblem> warnings;
};

// Reads the object table from the lines of a file (SplitLines).
EdsLoadResult LoadObjects(const std::vector<std::string>& lines);

// Reads an EDS or DCF file from disk (read whole, split into lines) and loads it. A file that
// cannot be opened gives "File not found\n" and one that cannot be read "Error reading EDS
// file\nError reading file", both captioned "Loading EDS file".
EdsLoadResult LoadEdsFile(const std::string& path);

// The message for the operator: the error text and, when known, the file and line it refers to.
std::string EdsErrorMessage(const EdsLoadResult& result, const std::string& fileName);
// The warnings as lines "file, line N: text" (at most `limit` lines and a count of the rest).
std::string EdsWarningText(const EdsLoadResult& result, const std::string& fileName, size_t limit = 20);

// Evaluates a DefaultValue / ParameterValue as CiA 306 writes integers: decimal, "0x"
// hexadecimal, octal with a leading "0", optionally with "$NODEID" added ("$NODEID+0x180",
// "0x180 + $NODEID"). False for anything else (strings, floating point, empty).
bool EvaluateEdsInteger(std::string_view text, uint32_t nodeId, uint32_t& value);
