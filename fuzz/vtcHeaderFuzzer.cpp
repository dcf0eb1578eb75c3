// The headless host's VTC header reader. Any bytes give a header or a message; an accepted
// header describes a file no larger than the bytes, and what the host writes for it reads
// back the same.
#include <cstring>
#include <sstream>
#include <string>

#include "fuzz/fuzzSupport.h"
#include "formats/vtcFile.h"

using namespace morvane;

namespace {

bool sameFields(const VtcFileHeader& a, const VtcFileHeader& b) {
    auto same = [](float x, float y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    return a.version == b.version && a.sourceName == b.sourceName && a.protocolNames == b.protocolNames &&
           a.currentProtocol == b.currentProtocol && a.dataType == b.dataType &&
           a.numberOfVolumes == b.numberOfVolumes && a.resolution == b.resolution && a.bounds == b.bounds &&
           a.leftRightConvention == b.leftRightConvention && a.referenceSpace == b.referenceSpace &&
           same(a.repetitionTimeMs, b.repetitionTimeMs) && a.haemodynamicDelay == b.haemodynamicDelay &&
           same(a.hrfDelta, b.hrfDelta) && same(a.hrfTau, b.hrfTau) && a.segmentSize == b.segmentSize &&
           a.segmentOffset == b.segmentOffset;
}

// The data the header promises, counted in 128 bits: no product of its fields can wrap.
unsigned __int128 wholeDataBytes(const VtcFileHeader& header) {
    if (header.resolution <= 0 || header.numberOfVolumes <= 0) return 0;
    unsigned __int128 bytes = static_cast<unsigned>(header.numberOfVolumes) * (header.dataType == 2 ? 4u : 2u);
    for (int axis = 0; axis < 3; ++axis) {
        const int extent = header.bounds[2 * axis + 1] - header.bounds[2 * axis];
        if (extent < 0) return 0;
        bytes *= static_cast<unsigned>(extent / header.resolution);
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in{std::string(fuzzBytes(data, size))};
    const ParseResult<VtcFileHeader> parsed = parseVtcHeader(in);
    fuzzCheck(parsed.value.has_value() == parsed.error.empty(), "a header or a message");
    if (!parsed) return 0;
    const VtcFileHeader& header = *parsed.value;
    fuzzCheck(header.headerLength <= size, "the header lies inside the bytes");

    const std::string problem = vtcHeaderProblem(header, size);
    if (problem.empty())
        fuzzCheck(header.headerLength + wholeDataBytes(header) <= size, "an accepted header's data lie inside the bytes");

    // Written back, the header reads the same, and so does the header with a protocol.
    const std::string bytes = vtcHeaderBytes(header);
    std::istringstream again(bytes);
    const ParseResult<VtcFileHeader> reread = parseVtcHeader(again);
    fuzzCheck(reread && sameFields(*reread.value, header) && reread.value->headerLength == bytes.size(),
              "a written header reads back the same");
    const VtcFileHeader linked = withProtocol(header, "fuzz.prt");
    std::istringstream linkedIn(vtcHeaderBytes(linked));
    const ParseResult<VtcFileHeader> relinked = parseVtcHeader(linkedIn);
    fuzzCheck(relinked && relinked.value->protocolNames == std::vector<std::string>{"fuzz.prt"},
              "a linked header names its protocol");
    return 0;
}
