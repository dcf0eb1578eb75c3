// A BIDS events table as a stimulation protocol in milliseconds.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/parseResult.h"
#include "formats/protocolFile.h"
#include "formats/tsvTable.h"

namespace morvane {

struct EventsOptions {
    // The column whose values are the conditions. Without such a column in the table, all
    // events form one condition named `singleCondition`, unless the column was asked for.
    std::string conditionColumn = "trial_type";
    bool conditionColumnAskedFor = false;
    std::string singleCondition = "events";
    // The column of each event's parametric weight, if any.
    std::optional<std::string> weightsColumn;
    std::string experiment;  // a single line
};

struct ImportedProtocol {
    Protocol protocol;
    std::size_t events = 0;
    std::vector<std::string> warnings;  // each names the table
};

// FileVersion 3 in msec: one condition per distinct (trimmed) value of the condition column
// in the order of first appearance, coloured from a fixed palette; its intervals the events
// in table order, [round(onset * 1000), round((onset + duration) * 1000)] ms, with the
// weight when there is a weights column. Rows whose condition is n/a are left out before
// anything else of theirs is read; an n/a weight is 0; each with one warning that counts
// them. Refused, naming table, line and column: a missing column, an onset or weight that is
// no number, a duration that is no number of 0 or more, a time beyond what a protocol holds,
// a condition that a protocol or design matrix cannot carry, and a table without events.
ParseResult<ImportedProtocol> protocolFromEvents(const TsvTable& events, const EventsOptions& options);

// The colour of the condition at that 0-based place; the palette repeats after its end.
Rgb conditionColor(std::size_t index);

}  // namespace morvane
