// morvane's imports of BIDS tables: any bytes, read as an events table (with and without a
// weights column and a condition column of another name) and as a confound table, give a
// protocol or motion file, or a message naming the table. An accepted protocol is in msec,
// with non-empty condition names that a protocol line and a design matrix can carry, each
// interval ending no earlier than it starts and carrying its weight, and it reads back the
// same from the text morvane writes. An accepted motion file holds the host's six columns of
// finite values, one row per table row, and reads back from its text to six digits.
#include <cmath>
#include <set>
#include <string>

#include "bids/confoundsToMotion.h"
#include "bids/eventsToProtocol.h"
#include "formats/textFormat.h"
#include "fuzz/fuzzSupport.h"

using namespace morvane;

namespace {

void checkEvents(const TsvTable& table, const EventsOptions& options) {
    const ParseResult<ImportedProtocol> imported = protocolFromEvents(table, options);
    fuzzCheck(imported.value.has_value() == imported.error.empty(), "a protocol or a message");
    if (!imported) {
        fuzzCheck(imported.error.rfind("f.tsv", 0) == 0, "messages name the table");
        return;
    }
    const Protocol& protocol = imported.value->protocol;
    fuzzCheck(protocol.fileVersion == 3 && protocol.inMilliseconds, "msec protocols");
    fuzzCheck(protocol.parametricWeights == (options.weightsColumn ? 1 : 0), "a weight with a weights column");
    std::set<std::string> names;
    std::size_t events = 0;
    for (const ProtocolCondition& condition : protocol.conditions) {
        fuzzCheck(!condition.name.empty() && trimmed(condition.name) == condition.name, "names trimmed, not empty");
        fuzzCheck(condition.name.find_first_of("\"\r\n") == std::string::npos, "names fit a line and a design matrix");
        fuzzCheck(names.insert(condition.name).second, "one condition per name");
        fuzzCheck(!condition.intervals.empty(), "conditions have events");
        for (const ProtocolInterval& interval : condition.intervals) {
            fuzzCheck(interval.start <= interval.end, "no interval ends before it starts");
            fuzzCheck(interval.weights.size() == static_cast<std::size_t>(protocol.parametricWeights), "weights");
            for (double weight : interval.weights) fuzzCheck(std::isfinite(weight), "finite weights");
        }
        events += condition.intervals.size();
    }
    fuzzCheck(events == imported.value->events && events > 0 && events <= table.rowCount(), "every event counted");
    std::vector<std::string> warnings;
    const ParseResult<Protocol> reread = parseProtocol(protocolText(protocol), warnings);
    fuzzCheck(reread && *reread.value == protocol && warnings.empty(), "the written protocol reads back the same");
}

void checkConfounds(const TsvTable& table) {
    const ParseResult<ImportedMotion> imported = motionFromConfounds(table);
    fuzzCheck(imported.value.has_value() == imported.error.empty(), "a motion file or a message");
    if (!imported) {
        fuzzCheck(imported.error.rfind("f.tsv", 0) == 0, "messages name the table");
        return;
    }
    const SdmContent& motion = imported.value->motion;
    fuzzCheck(motion.predictorCount() == 6 && motion.colors.size() == 6 && motion.includesConstant == 0,
              "the host's six columns");
    fuzzCheck(static_cast<std::size_t>(motion.dataPoints) == table.rowCount() &&
                  motion.values.size() == table.rowCount() * 6,
              "one row per table row");
    for (double value : motion.values) fuzzCheck(std::isfinite(value), "finite values");
    const ParseResult<SdmContent> reread = parseSdm(sdmText(motion));
    fuzzCheck(reread && reread.value->names == motion.names && reread.value->values.size() == motion.values.size(),
              "the written motion file reads back");
    for (std::size_t i = 0; i < motion.values.size(); ++i) {
        const double value = motion.values[i], again = reread.value->values[i];
        fuzzCheck(std::fabs(again - value) <= std::fabs(value) * 5e-6 + 1e-300 || std::fabs(value) < 1e-290,
                  "to six digits");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ParseResult<TsvTable> table = parseTsvTable(fuzzBytes(data, size), "f.tsv");
    if (!table) return 0;
    EventsOptions plain;
    plain.singleCondition = "task";
    checkEvents(*table.value, plain);
    EventsOptions weighted;
    weighted.weightsColumn = "modulation";
    weighted.conditionColumn = "cond";
    weighted.conditionColumnAskedFor = table.value->column("cond").has_value();
    checkEvents(*table.value, weighted);
    checkConfounds(*table.value);
    return 0;
}
