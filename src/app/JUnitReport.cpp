#include "JUnitReport.h"

#include <vector>

#include "AtomicFile.h"
#include "ProtocolGrid.h"
#include "ProtocolLine.h"
#include "TextEncoding.h"

namespace {
struct TestCase {
    std::string name;
    std::string firstStatus;  // status text of the first failing row
    std::string failures;     // "status: command" per failing row
};

bool IsErrorText(const std::string& status) {
    for (uint32_t code : {STATUS_ERR_SYN, STATUS_SDO_ERROR, STATUS_ERR_ANS, STATUS_LSS_ERROR, STATUS_ERR_NMT})
        if (status == StatusText(code)) return true;
    return false;
}

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// UTF-8 text safe inside an XML attribute or element.
std::string Xml(const std::string& text8bit) {
    std::string out;
    for (char c : Windows1252ToUtf8(text8bit)) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\n': out += "&#10;"; break;
            default:
                if (u >= 0x20 || c == '\t') out.push_back(c);
                else out.push_back(' ');  // control characters are not allowed in XML 1.0
        }
    }
    return out;
}
}  // namespace

std::string BuildJUnitReport(const std::string& suite, const TableSource& table) {
    std::vector<TestCase> cases;
    for (size_t r = 1; r < table.RowCount(); ++r) {
        const std::string rt = table.Cell(r, COL_RT);
        const std::string command = Trim(table.Cell(r, COL_COMMAND));
        if (rt == "T") {
            const std::string line = table.Cell(r, COL_LINE);
            cases.push_back({(line.empty() ? "row " + std::to_string(r) : "line " + line) + ": " + command, "", ""});
        } else if (rt != "R" || cases.empty()) {
            continue;
        }
        const std::string status = table.Cell(r, COL_STATUS);
        if (!IsErrorText(status)) continue;
        TestCase& tc = cases.back();
        if (tc.firstStatus.empty()) tc.firstStatus = status;
        tc.failures += status + ": " + command + "\n";
    }
    size_t failed = 0;
    for (const auto& tc : cases)
        if (!tc.firstStatus.empty()) ++failed;

    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    const std::string counts =
        " tests=\"" + std::to_string(cases.size()) + "\" failures=\"" + std::to_string(failed) + "\" errors=\"0\"";
    xml += "<testsuites" + counts + ">\n";
    xml += "  <testsuite name=\"" + Xml(suite) + "\"" + counts + ">\n";
    for (const auto& tc : cases) {
        xml += "    <testcase classname=\"" + Xml(suite) + "\" name=\"" + Xml(tc.name) + "\"";
        if (tc.firstStatus.empty()) {
            xml += "/>\n";
            continue;
        }
        xml += ">\n      <failure type=\"" + Xml(tc.firstStatus) + "\" message=\"" + Xml(tc.firstStatus) + "\">" +
               Xml(tc.failures) + "</failure>\n    </testcase>\n";
    }
    xml += "  </testsuite>\n</testsuites>\n";
    return xml;
}

bool WriteJUnitReport(const std::string& path, const std::string& suite, const TableSource& table) {
    AtomicFile file(NativePath(path), false);
    return file.Open() && file.Write(BuildJUnitReport(suite, table)) && file.Commit();
}
