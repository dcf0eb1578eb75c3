// The reader of heart-rate and respiration predictors in SDM form (the kind only names the
// record): any bytes give a record whose arrays match its counts, and the record
// z-transforms and merges without fault.
#include "confounds/readConfoundFiles.h"
#include "fuzz/confoundReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    installQuietLog();
    const std::string_view bytes = fuzzBytes(data, size);
    fuzzConfoundRecord(readConfoundsSdmFrom(bytes, "fuzz_RVT.sdm", ConfoundKind::Respiration));
    return 0;
}
