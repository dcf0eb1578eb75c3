#include "designmatrix/protocolReport.h"

#include "common/text.h"
#include "designmatrix/colorComponents.h"
#include "designmatrix/recordText.h"

namespace {

std::string colorLine(const char* label, std::int32_t color) {
    const ColorComponents components = colorComponents(color);
    return formatText("%sRed: %d Green: %d Blue: %d\n", label, components.red, components.green,
                      components.blue);
}

}  // namespace

std::string protocolReport(const ProtocolRecord& protocol) {
    std::string report;
    report += formatText("Protocol file name: %s\n", recordText(protocol.protocolFileName).c_str());
    report += formatText("Experiment name: %s\n", recordText(protocol.experimentName).c_str());
    report += formatText("Number of conditions: %d\n", protocol.numberOfConditions);
    report += formatText("Time resolution: %s\n", protocol.timeResolution == 1 ? "volume" : "msec");
    report += colorLine("Background color components: ", protocol.backgroundColor);
    report += colorLine("Reference time course color components: ",
                        protocol.referenceTimeCourseColor);
    report += formatText("Reference time course pen thickness: %d\n",
                         protocol.referenceTimeCoursePenThickness);
    report += colorLine("Text color components: ", protocol.textColor);
    report += colorLine("Time course color components: ", protocol.timeCourseColor);
    report += formatText("Time course pen thickness: %d\n", protocol.timeCoursePenThickness);
    return report;
}

std::string conditionReportEntry(int index, const ProtocolConditionRecord& condition) {
    std::string entry;
    entry += formatText("\nProtocol condition number: %d\n", index + 1);
    entry += formatText("Condition name: %s\n", recordText(condition.conditionName).c_str());
    entry += formatText("Number of intervals: %d\n", condition.numberOfIntervals);
    // A host that counts intervals but hands out no arrays gets its count reported only.
    if (condition.intervalStarts != nullptr && condition.intervalEnds != nullptr) {
        for (int k = 0; k < condition.numberOfIntervals; ++k) {
            entry += formatText("Interval nr %d: From: %d to %d\n", k + 1,
                                condition.intervalStarts[k], condition.intervalEnds[k]);
        }
    }
    entry += colorLine("", condition.conditionColor);
    return entry;
}
