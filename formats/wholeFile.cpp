#include "formats/wholeFile.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include "formats/fileDescriptor.h"
#include "formats/openForReading.h"

namespace morvane {

ParseResult<std::string> readWholeFile(const std::string& path) {
    // The system's own calls, so that the reason (missing, not permitted, a folder, a name
    // too long) reaches the message; a stream opens a folder and reads it as empty. A pipe
    // could keep the run waiting for a writer and a device give bytes without end: neither
    // is opened.
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode) && !S_ISDIR(named.st_mode))
        return ParseResult<std::string>::failure("cannot read the file: it is a pipe or a device, not a file");
    const FileDescriptor file(openForReading(path));
    if (!file.valid()) return ParseResult<std::string>::failure(std::string("cannot open the file: ") + std::strerror(errno));
    // Read straight into a text of the file's size, so that a large file is not copied over
    // and over as the text grows; a file that grows meanwhile is read to its new end.
    struct stat status {};
    const bool sized = ::fstat(file.get(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0;
    std::string content(sized ? static_cast<std::size_t>(status.st_size) + 1 : std::size_t{1} << 16, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == content.size()) content.resize(content.size() * 2);
        const ssize_t count = ::read(file.get(), content.data() + used, content.size() - used);
        if (count == 0) break;
        if (count < 0 && errno == EINTR) continue;
        if (count < 0)
            return ParseResult<std::string>::failure(std::string("cannot read the file: ") + std::strerror(errno));
        used += static_cast<std::size_t>(count);
    }
    content.resize(used);
    return ParseResult<std::string>::success(std::move(content));
}

}  // namespace morvane
