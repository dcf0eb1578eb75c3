#include "designmatrix/protocolReport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "tests/fakehost/fakeHost.h"

namespace {

ProtocolRecord sampleProtocol(std::int32_t timeResolution) {
    ProtocolRecord protocol{};
    protocol.numberOfConditions = 3;
    setRecordText(protocol.protocolFileName, "D:\\data\\faces.prt");
    setRecordText(protocol.experimentName, "Faces and houses");
    protocol.timeResolution = timeResolution;
    protocol.backgroundColor = 0xFF8000;
    protocol.textColor = 0x0000FF;
    protocol.timeCourseColor = 0;
    protocol.timeCoursePenThickness = 3;
    protocol.referenceTimeCourseColor = 0x102030;
    protocol.referenceTimeCoursePenThickness = 2;
    return protocol;
}

TEST(ProtocolReport, ListsTheProtocolInItsOrder) {
    EXPECT_EQ(protocolReport(sampleProtocol(1)),
              "Protocol file name: D:\\data\\faces.prt\n"
              "Experiment name: Faces and houses\n"
              "Number of conditions: 3\n"
              "Time resolution: volume\n"
              "Background color components: Red: 255 Green: 128 Blue: 0\n"
              "Reference time course color components: Red: 16 Green: 32 Blue: 48\n"
              "Reference time course pen thickness: 2\n"
              "Text color components: Red: 0 Green: 0 Blue: 255\n"
              "Time course color components: Red: 0 Green: 0 Blue: 0\n"
              "Time course pen thickness: 3\n");
}

TEST(ProtocolReport, AnyResolutionButOneIsMilliseconds) {
    for (std::int32_t resolution : {0, 2, -1, 1000}) {
        const std::string report = protocolReport(sampleProtocol(resolution));
        EXPECT_NE(report.find("Time resolution: msec\n"), std::string::npos) << resolution;
    }
}

TEST(ProtocolReport, ReadsNoFurtherThanATextFieldWithoutNul) {
    ProtocolRecord protocol = sampleProtocol(1);
    std::memset(protocol.protocolFileName, 'p', sizeof protocol.protocolFileName);
    const std::string report = protocolReport(protocol);
    EXPECT_EQ(report.substr(0, report.find('\n')),
              "Protocol file name: " + std::string(sizeof protocol.protocolFileName, 'p'));
}

TEST(ConditionReportEntry, CountsConditionsAndIntervalsFromOne) {
    std::int32_t starts[] = {1, 31};
    std::int32_t ends[] = {10, 40};
    ProtocolConditionRecord condition{};
    setRecordText(condition.conditionName, "Faces");
    condition.numberOfIntervals = 2;
    condition.intervalStarts = starts;
    condition.intervalEnds = ends;
    condition.conditionColor = 0xFF8000;
    EXPECT_EQ(conditionReportEntry(1, condition),
              "\nProtocol condition number: 2\n"
              "Condition name: Faces\n"
              "Number of intervals: 2\n"
              "Interval nr 1: From: 1 to 10\n"
              "Interval nr 2: From: 31 to 40\n"
              "Red: 255 Green: 128 Blue: 0\n");
}

TEST(ConditionReportEntry, CountWithoutIntervalArraysIsReportedWithoutIntervals) {
    ProtocolConditionRecord condition{};
    setRecordText(condition.conditionName, "Rest");
    condition.numberOfIntervals = 4;
    EXPECT_EQ(conditionReportEntry(0, condition),
              "\nProtocol condition number: 1\n"
              "Condition name: Rest\n"
              "Number of intervals: 4\n"
              "Red: 0 Green: 0 Blue: 0\n");
}

}  // namespace
