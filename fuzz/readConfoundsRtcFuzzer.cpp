// The reader of heart-rate and respiration predictors in RTC form (the kind only names the
// record): any bytes give a record whose arrays match its counts, and the record
// z-transforms and merges without fault.
#include "confounds/readConfoundFiles.h"
#include "fuzz/confoundReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    installQuietLog();
    const std::string_view bytes = fuzzBytes(data, size);
    fuzzConfoundRecord(readConfoundsRtcFrom(bytes, "fuzz_HR.rtc", ConfoundKind::HeartRate));
    return 0;
}
