// The reader of motion estimates in SDM form: any bytes give a record whose arrays match
// its counts, and the record z-transforms and merges without fault.
#include "confounds/readConfoundFiles.h"
#include "fuzz/confoundReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    installQuietLog();
    const std::string_view bytes = fuzzBytes(data, size);
    fuzzConfoundRecord(readMotionEstimatesSdmFrom(bytes, "fuzz_3DMC.sdm"));
    return 0;
}
