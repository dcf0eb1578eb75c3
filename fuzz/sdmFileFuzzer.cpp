// The headless host's SDM and RTC readers, with which it checks the plugin's output and
// counts the predictors of the confound files a list names. Any bytes give content or a
// message; accepted content holds a colour per name and a value per name and data point,
// and what the host writes for it reads back the same.
#include <string>

#include "fuzz/fuzzSupport.h"
#include "formats/sdmFile.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzzBytes(data, size);
    parseSdmHeader(bytes);
    parseRtcHeader(bytes);
    const ParseResult<SdmContent> parsed = parseSdm(bytes);
    fuzzCheck(parsed.value.has_value() == parsed.error.empty(), "content or a message");
    if (!parsed) return 0;
    const SdmContent& content = *parsed.value;
    fuzzCheck(content.dataPoints >= 0 && content.colors.size() == content.names.size() &&
                  content.values.size() == content.names.size() * static_cast<std::size_t>(content.dataPoints),
              "a colour per name, a value per name and point");

    // Names the writer can quote are those without a quote. Without predictors the rows are
    // empty lines, as many as declared: nothing to compare.
    if (content.names.empty()) return 0;
    for (const std::string& name : content.names)
        if (name.find('"') != std::string::npos) return 0;
    const ParseResult<SdmContent> reread = parseSdm(sdmText(content));
    fuzzCheck(reread && reread.value->names == content.names && reread.value->dataPoints == content.dataPoints &&
                  reread.value->colors == content.colors && reread.value->values.size() == content.values.size(),
              "written content reads back the same");
    return 0;
}
