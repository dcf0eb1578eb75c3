// The headless host's protocol parser, and what the host makes of a protocol it accepted:
// the warnings about intervals outside the run, each condition's boxcar, its plain and its
// convolved predictor. Any bytes give a protocol or a message, and every value made from
// an accepted protocol is a finite number.
#include <cmath>
#include <string>
#include <vector>

#include "fuzz/fuzzSupport.h"
#include "headless/designMatrix.h"
#include "formats/protocolFile.h"
#include "headless/responseFunction.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> warnings;
    const ParseResult<Protocol> parsed = parseProtocol(fuzzBytes(data, size), warnings);
    fuzzCheck(parsed.value.has_value() == parsed.error.empty(), "a value or a message");
    if (!parsed) return 0;
    const Protocol& protocol = *parsed.value;

    const RunTiming timing{2.0, 20};
    intervalsOutsideRun(protocol, timing);
    for (const ProtocolCondition& condition : protocol.conditions) {
        for (const ProtocolInterval& interval : condition.intervals) {
            fuzzCheck(interval.start <= interval.end, "no interval ends before it starts");
            fuzzCheck(interval.weights.size() == static_cast<std::size_t>(protocol.parametricWeights),
                      "every interval has its weights");
        }
        for (int component : {condition.color.red, condition.color.green, condition.color.blue})
            fuzzCheck(component >= 0 && component <= 255, "colour components are bytes");

        const std::vector<BoxcarSegment> boxcar = conditionBoxcar(condition, protocol.inMilliseconds, timing, 1.0);
        for (const BoxcarSegment& segment : boxcar)
            fuzzCheck(segment.startSeconds >= 0.0 && segment.startSeconds < segment.endSeconds &&
                          segment.endSeconds <= timing.durationSeconds(),
                      "segments lie inside the run");
        for (double value : sampleBoxcar(boxcar, timing.repetitionTimeSeconds, timing.numberOfVolumes))
            fuzzCheck(std::isfinite(value), "plain predictors are finite");
        for (double value : convolveBoxcar(boxcar, ResponseFunction::TwoGamma, Convention{},
                                           timing.repetitionTimeSeconds, timing.numberOfVolumes))
            fuzzCheck(std::isfinite(value), "convolved predictors are finite");
    }
    return 0;
}
