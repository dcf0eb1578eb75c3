#include "headless/wholeFile.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "headless/fileDescriptor.h"
#include "headless/openForReading.h"

namespace morvane {

ParseResult<std::string> readWholeFile(const std::string& path) {
    // The system's own calls, so that the reason (missing, not permitted, a folder, a name
    // too long) reaches the message; a stream opens a folder and reads it as empty.
    const FileDescriptor file(openForReading(path));
    if (!file.valid()) return ParseResult<std::string>::failure(std::string("cannot open the file: ") + std::strerror(errno));
    std::string content;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer.data(), buffer.size());
        if (count == 0) break;
        if (count < 0 && errno == EINTR) continue;
        if (count < 0)
            return ParseResult<std::string>::failure(std::string("cannot read the file: ") + std::strerror(errno));
        content.append(buffer.data(), static_cast<std::size_t>(count));
    }
    return ParseResult<std::string>::success(std::move(content));
}

}  // namespace morvane
