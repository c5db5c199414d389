#include "HeadlessEdsCompare.h"

#include <QEventLoop>

#include "CanChannel.h"
#include "EdsReader.h"
#include "NamedValueList.h"
#include "Numbers.h"

namespace {
constexpr uint32_t kComparisonTimerMs = 1;
}

void PrintEdsComparison(const EdsComparison& c, const std::string& edsPath, std::ostream& out) {
    size_t read = 0, entries = 0;
    for (const ObjectEntry& e : c.Table()) {
        if (e.header) continue;
        ++entries;
        if (e.readState != EntryReadState::NotRead) ++read;
    }
    out << "EDS comparison: " << edsPath << ", node " << static_cast<int>(ObjectNodeId()) << ", " << read << " of "
        << entries << " entries read\n";
    for (const EdsDifference& d : c.Differences()) out << "  " << EdsDifferenceText(d) << "\n";
    out << "Verdict: ";
    if (c.NoResponse())
        out << "no response at " << c.StoppedAt();
    else if (c.Cancelled())
        out << "not completed";
    else if (c.Differences().empty())
        out << "equal";
    else
        out << c.Differences().size() << (c.Differences().size() == 1 ? " difference" : " differences");
    out << "\n";
}

int RunEdsComparisonHeadless(const std::string& edsPath, int node, int kbit, std::ostream& out, std::ostream& err) {
    const EdsLoadResult eds = LoadEdsFile(edsPath);
    if (!eds.warnings.empty()) err << EdsWarningText(eds, edsPath);
    if (!eds.ok) {
        err << "quarzel-run: the EDS could not be loaded: " << EdsErrorMessage(eds, edsPath) << "\n";
        return 2;
    }
    ScriptVariables().Set("NodeId", static_cast<uint32_t>(node));
    ScriptVariables().Set("Baudr", static_cast<uint32_t>(BitRateToIndex(kbit)));
    uint32_t timer = 0;
    if (!ScriptVariables().Lookup("Timer", timer)) ScriptVariables().Set("Timer", kComparisonTimerMs);
    EdsComparison comparison;
    QEventLoop loop;
    comparison.SetListener([&] {
        if (!comparison.Running()) loop.quit();
    });
    if (!comparison.Start(eds.entries)) {
        err << "quarzel-run: the CAN channel could not be opened\n";
        return 2;
    }
    if (comparison.Running()) loop.exec();
    PrintEdsComparison(comparison, edsPath, out);
    CanClose();
    return comparison.Equal() ? 0 : 1;
}
