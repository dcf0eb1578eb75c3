// Replacing a file on Windows: the same contract as on POSIX systems. The new content is
// written to a temporary file beside the destination, flushed to disk, and moved over the
// destination in one step (MoveFileEx with MOVEFILE_REPLACE_EXISTING and
// MOVEFILE_WRITE_THROUGH). The read-only attribute stands for the permissions: the new file
// gets the destination's attributes. Symbolic links are rare on Windows and are replaced,
// not followed.
#include "headless/atomicReplace.h"
#include "headless/temporaryName.h"

#include "headless/windowsApi.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "formats/fileDescriptor.h"
#include "formats/textFormat.h"

namespace morvane {
namespace {

std::atomic<unsigned> replacementCount{0};

std::string crtError(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string systemError(const std::string& what, DWORD error) { return what + ": " + windowsErrorText(error); }

std::string temporaryPrefix(const std::string& destination) {
    return "." + lastComponent(destination) + ".morvane-";
}

bool processRuns(pid_t pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

pid_t currentProcess() { return static_cast<pid_t>(GetCurrentProcessId()); }

}  // namespace

void closeReplacedFile(int descriptor) {
    if (descriptor >= 0) ::close(descriptor);
}

// Windows frees every superseded file: nothing is kept.
void removeKeptFile() {}
void removeKeptFileWhenInterrupted() {}

std::string temporaryFileName(const std::string& destination, pid_t pid, unsigned count) {
    return joinPath(folderOf(destination),
                    temporaryPrefix(destination) + formatText("%ld-%u.tmp", static_cast<long>(pid), count));
}

int removeAbandonedTemporaryFiles(const std::string& destination) {
    const std::string folder = folderOf(destination);
    const std::string prefix = temporaryPrefix(destination);
    WIN32_FIND_DATAA entry{};
    HANDLE search = FindFirstFileA(joinPath(folder, prefix + "*.tmp").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return 0;
    std::vector<std::string> abandoned;
    do {
        const std::string name = entry.cFileName;
        const auto pid = static_cast<pid_t>(pidOfTemporaryName(name, prefix));
        if (pid != 0 && pid != currentProcess() && !processRuns(pid)) abandoned.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    int removed = 0;
    for (const std::string& name : abandoned) removed += DeleteFileA(joinPath(folder, name).c_str()) ? 1 : 0;
    return removed;
}

std::string writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const unsigned chunk = static_cast<unsigned>(size < (1u << 30) ? size : (1u << 30));
        const int written = ::_write(fd, data, chunk);
        if (written < 0) {
            if (errno == EINTR) continue;
            return crtError("cannot write");
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

std::string copyFileTail(int source, off_t offset, int destination) {
    struct _stat64 status {};
    if (::_fstat64(source, &status) != 0) return crtError("cannot examine the source");
    if (status.st_size <= offset) return {};
    long long remaining = status.st_size - offset;
    if (::_lseeki64(source, offset, SEEK_SET) < 0) return crtError("cannot read the source");
    std::vector<char> buffer(1 << 20);
    while (remaining > 0) {
        const unsigned wanted = static_cast<unsigned>(remaining < static_cast<long long>(buffer.size())
                                                          ? remaining
                                                          : static_cast<long long>(buffer.size()));
        const int count = ::_read(source, buffer.data(), wanted);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return crtError("cannot read the source");
        if (count == 0) return "the source ended before its expected size";
        std::string problem = writeAll(destination, buffer.data(), static_cast<std::size_t>(count));
        if (!problem.empty()) return problem;
        remaining -= count;
    }
    return {};
}

std::string replaceFileAtomically(const std::string& destination, const ContentWriter& writeContent,
                                  mode_t newFileMode, SupersededFile) {
    removeAbandonedTemporaryFiles(destination);

    const DWORD attributes = GetFileAttributesA(destination.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return destination + " is not a regular file";

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryFileName(destination, currentProcess(), replacementCount.fetch_add(1));
        fd = ::_open(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                     _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) return crtError("cannot create the temporary file " + temporary);
    }
    if (fd < 0) return "cannot find a free temporary file name beside " + destination;
    FileDescriptor file(fd);

    auto abandon = [&](const std::string& problem) {
        file.close();
        DeleteFileA(temporary.c_str());
        return problem;
    };

    std::string problem = writeContent(file.get());
    if (!problem.empty()) return abandon(problem);
    if (::_commit(file.get()) != 0) return abandon(crtError("cannot write " + temporary + " to disk"));
    if (file.close() != 0) {
        DeleteFileA(temporary.c_str());
        return crtError("cannot close " + temporary);
    }
    // The new file looks like the old one (read-only, hidden, ...), or is read-only when the
    // mode of a new file asks for it. A read-only file is replaced as a file without write
    // permission is on POSIX systems, where only the folder's permission counts.
    DWORD newAttributes = exists ? attributes : FILE_ATTRIBUTE_NORMAL;
    if (!exists && (newFileMode & 0200) == 0) newAttributes = FILE_ATTRIBUTE_READONLY;
    const bool readOnly = exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) SetFileAttributesA(destination.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    if (!MoveFileExA(temporary.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::string why = systemError("cannot rename " + temporary + " to " + destination, GetLastError());
        DeleteFileA(temporary.c_str());
        if (readOnly) SetFileAttributesA(destination.c_str(), attributes);
        return why;
    }
    if (newAttributes != FILE_ATTRIBUTE_NORMAL) SetFileAttributesA(destination.c_str(), newAttributes);
    return {};
}

}  // namespace morvane
