// The texts that describe a protocol and its conditions in the log pane.
#pragma once

#include <string>

#include "host/hostRecords.h"

// The protocol report: file name, experiment, number of conditions, time resolution, colours
// and pen thicknesses, one line each, every line ending in a line break.
std::string protocolReport(const ProtocolRecord& protocol);

// One condition's part of the condition report; `index` counts from 0, the report from 1.
std::string conditionReportEntry(int index, const ProtocolConditionRecord& condition);
