#include "confoundmodels/modelFile.h"

#include "headless/atomicReplace.h"

namespace morvane {

std::string writeModelFile(const std::string& path, const SdmContent& content) {
    const std::string text = sdmText(content);
    return replaceFileAtomically(path, [&](int descriptor) { return writeAll(descriptor, text.data(), text.size()); });
}

}  // namespace morvane
