#include "headless/atomicReplace.h"
#include "headless/temporaryName.h"

#include <dirent.h>
#include <stdio.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "formats/fileDescriptor.h"
#include "formats/textFormat.h"

namespace morvane {
namespace {

std::atomic<unsigned> replacementCount{0};

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string temporaryPrefix(const std::string& destination) {
    return "." + lastComponent(destination) + ".morvane-";
}

bool processRuns(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

// The file a path names, following symbolic links, so that a link stays a link.
std::string resolvedDestination(const std::string& destination) {
    std::string path = destination;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
        std::vector<char> target(4096);
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size() - 1);
        if (length <= 0) return path;
        const std::string link(target.data(), static_cast<std::size_t>(length));
        path = link.front() == '/' ? link : joinPath(folderOf(path), link);
    }
    return path;
}

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// One helper thread closes the descriptors handed over, in order; it is started with the
// first and stopped, after the last close, when the program ends.
class BackgroundCloser {
public:
    ~BackgroundCloser() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        if (worker_.joinable()) worker_.join();
    }

    void close(int descriptor) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!worker_.joinable()) {
                try {
                    worker_ = std::thread([this] { work(); });
                } catch (const std::system_error&) {
                    ::close(descriptor);  // no thread to be had: closed here and now
                    return;
                }
            }
            pending_.push_back(descriptor);
        }
        wake_.notify_one();
    }

private:
    void work() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (pending_.empty()) return;  // stopping, and nothing left
            const int descriptor = pending_.front();
            pending_.pop_front();
            lock.unlock();
            ::close(descriptor);
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<int> pending_;
    bool stopping_ = false;
    std::thread worker_;
};

// The superseded file kept for reuse: open for writing, under a temporary name of this
// process. The host's calls come one after another; the lock only keeps the record whole.
struct KeptFile {
    int descriptor = -1;
    std::string path;
};
std::mutex keptFileMutex;
KeptFile keptFile;

// The kept file's path once more, for a signal handler: written only while the flag is
// clear, read only while it is set.
char keptPathForSignals[4096];
volatile std::sig_atomic_t keptPathPublished = 0;

bool publishKeptPath(const std::string& path) {
    keptPathPublished = 0;
    if (path.size() >= sizeof keptPathForSignals) return false;
    std::memcpy(keptPathForSignals, path.c_str(), path.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    keptPathPublished = 1;
    return true;
}

extern "C" void removeKeptFileAndEnd(int signalNumber) {
    if (keptPathPublished != 0) ::unlink(keptPathForSignals);
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

KeptFile takeKeptFile() {
    const std::lock_guard<std::mutex> lock(keptFileMutex);
    keptPathPublished = 0;
    KeptFile taken = keptFile;
    keptFile = {};
    return taken;
}

void dropFile(const KeptFile& file) {
    if (file.descriptor < 0) return;
    ::unlink(file.path.c_str());
    closeReplacedFile(file.descriptor);
}

#if defined(__linux__) && defined(RENAME_EXCHANGE) && defined(RENAME_NOREPLACE)
constexpr bool namesExchange = true;
int exchangeNames(const std::string& a, const std::string& b) {
    return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE);
}
int renameWithoutReplacing(const std::string& from, const std::string& to) {
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
}
#else
constexpr bool namesExchange = false;
int exchangeNames(const std::string&, const std::string&) {
    errno = ENOSYS;
    return -1;
}
int renameWithoutReplacing(const std::string&, const std::string&) {
    errno = ENOSYS;
    return -1;
}
#endif

// The kept file under the temporary name, its content to be written over from the start;
// -1 when there is none or it cannot be moved there (it is then removed).
int reuseKeptFile(const std::string& temporary) {
    const KeptFile kept = takeKeptFile();
    if (kept.descriptor < 0) return -1;
    if (renameWithoutReplacing(kept.path, temporary) != 0) {
        dropFile(kept);
        return -1;
    }
    if (::lseek(kept.descriptor, 0, SEEK_SET) != 0) {
        dropFile({kept.descriptor, temporary});
        return -1;
    }
    return kept.descriptor;
}

// After the exchange the old file stands under the temporary name. It is kept only when that
// is its one name (a file that other links still hold is theirs), it belongs to this user (a
// file made from it belongs to its owner) and it can be written.
void keepSupersededFile(const std::string& temporary) {
    const int descriptor = ::open(temporary.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    struct stat status {};
    if (descriptor >= 0 && ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_nlink == 1 &&
        status.st_uid == ::geteuid()) {
        const std::lock_guard<std::mutex> lock(keptFileMutex);
        if (keptFile.descriptor < 0 && publishKeptPath(temporary)) {
            keptFile = {descriptor, temporary};
            return;
        }
    }
    ::unlink(temporary.c_str());
    if (descriptor >= 0) closeReplacedFile(descriptor);
}

}  // namespace

void closeReplacedFile(int descriptor) {
    if (descriptor < 0) return;
    static BackgroundCloser closer;
    closer.close(descriptor);
}

void removeKeptFile() { dropFile(takeKeptFile()); }

void removeKeptFileWhenInterrupted() {
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (::sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction removing {};
        removing.sa_handler = removeKeptFileAndEnd;
        sigemptyset(&removing.sa_mask);
        ::sigaction(signalNumber, &removing, nullptr);
    }
}

std::string temporaryFileName(const std::string& destination, pid_t pid, unsigned count) {
    return joinPath(folderOf(destination),
                    temporaryPrefix(destination) + formatText("%ld-%u.tmp", static_cast<long>(pid), count));
}

int removeAbandonedTemporaryFiles(const std::string& destination) {
    const std::string folder = folderOf(destination);
    const std::string prefix = temporaryPrefix(destination);
    std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!directory) return 0;
    std::vector<std::string> abandoned;
    while (const dirent* entry = ::readdir(directory.get())) {
        const std::string name = entry->d_name;
        const auto pid = static_cast<pid_t>(pidOfTemporaryName(name, prefix));
        if (pid != 0 && pid != ::getpid() && !processRuns(pid)) abandoned.push_back(name);
    }
    int removed = 0;
    for (const std::string& name : abandoned) removed += ::unlink(joinPath(folder, name).c_str()) == 0;
    return removed;
}

std::string writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return systemError("cannot write");
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

namespace {

// Large copies go in pieces, and each piece is handed to the disk as soon as it is copied:
// the fsync that makes the replacement durable then waits for the last piece only, instead
// of for the whole file after the copy.
constexpr off_t copyPiece = off_t{8} << 20;

void startWriteback(int descriptor, off_t offset, off_t length) {
#if defined(__linux__)
    if (offset >= 0) ::sync_file_range(descriptor, offset, length, SYNC_FILE_RANGE_WRITE);
#else
    (void)descriptor;
    (void)offset;
    (void)length;
#endif
}

}  // namespace

std::string copyFileTail(int source, off_t offset, int destination) {
    struct stat status {};
    if (::fstat(source, &status) != 0) return systemError("cannot examine the source");
    if (status.st_size <= offset) return {};
    off_t remaining = status.st_size - offset;
    off_t sourceOffset = offset;
    // Where the copy lands; -1 (no early writeback) when the destination cannot tell.
    off_t destinationOffset = ::lseek(destination, 0, SEEK_CUR);
    const auto copiedPiece = [&](off_t count) {
        startWriteback(destination, destinationOffset, count);
        if (destinationOffset >= 0) destinationOffset += count;
        remaining -= count;
    };
    // The kernel copies without passing the bytes through this process where it can.
    bool kernelCopy = true;
    while (remaining > 0 && kernelCopy) {
        const ssize_t copied = ::copy_file_range(source, &sourceOffset, destination, nullptr,
                                                 static_cast<std::size_t>(std::min(remaining, copyPiece)), 0);
        if (copied > 0) {
            copiedPiece(copied);
        } else if (copied == 0) {
            return "the source ended before its expected size";
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF) {
            kernelCopy = false;
        } else {
            return systemError("cannot copy the data");
        }
    }
    while (remaining > 0) {
        const ssize_t copied = ::sendfile(destination, source, &sourceOffset,
                                          static_cast<std::size_t>(std::min(remaining, copyPiece)));
        if (copied > 0) {
            copiedPiece(copied);
        } else if (copied == 0) {
            return "the source ended before its expected size";
        } else if (errno == EINTR) {
            continue;
        } else {
            break;  // plain reads and writes below
        }
    }
    std::vector<char> buffer(remaining > 0 ? 1 << 20 : 0);
    while (remaining > 0) {
        const ssize_t count = ::pread(source, buffer.data(), buffer.size(), sourceOffset);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return systemError("cannot read the source");
        if (count == 0) return "the source ended before its expected size";
        std::string problem = writeAll(destination, buffer.data(), static_cast<std::size_t>(count));
        if (!problem.empty()) return problem;
        sourceOffset += count;
        copiedPiece(count);
    }
    return {};
}

std::string replaceFileAtomically(const std::string& requestedDestination, const ContentWriter& writeContent,
                                  mode_t newFileMode, SupersededFile superseded) {
    const std::string destination = resolvedDestination(requestedDestination);
    removeAbandonedTemporaryFiles(destination);

    struct stat existing {};
    const bool exists = ::stat(destination.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) return destination + " is not a regular file";
    const mode_t mode = exists ? (existing.st_mode & 07777) : newFileMode;

    const bool reuse = superseded == SupersededFile::Reuse && namesExchange;
    std::string temporary = temporaryFileName(destination, ::getpid(), replacementCount.fetch_add(1));
    int fd = reuse ? reuseKeptFile(temporary) : -1;
    const bool reused = fd >= 0;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        if (attempt > 0) temporary = temporaryFileName(destination, ::getpid(), replacementCount.fetch_add(1));
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) return systemError("cannot create the temporary file " + temporary);
    }
    if (fd < 0) return "cannot find a free temporary file name beside " + destination;
    FileDescriptor file(fd);

    auto abandon = [&](const std::string& problem) {
        file.close();
        ::unlink(temporary.c_str());
        return problem;
    };

    std::string problem = writeContent(file.get());
    if (!problem.empty()) return abandon(problem);
    if (reused) {
        // What the old content holds beyond the new goes.
        const off_t end = ::lseek(file.get(), 0, SEEK_CUR);
        if (end < 0 || ::ftruncate(file.get(), end) != 0) return abandon(systemError("cannot cut " + temporary));
    }
    if (exists) {
        // Keeping the owner needs privileges that a user may lack; the permissions do not.
        if (::fchown(file.get(), existing.st_uid, existing.st_gid) != 0) { /* keep the caller's ownership */ }
    }
    if (::fchmod(file.get(), mode) != 0) return abandon(systemError("cannot set the permissions of " + temporary));
    if (::fsync(file.get()) != 0) return abandon(systemError("cannot write " + temporary + " to disk"));
    if (file.close() != 0) {
        ::unlink(temporary.c_str());
        return systemError("cannot close " + temporary);
    }
    // Exchanged, the old file stays under the temporary name for the next replacement.
    const bool exchanged = reuse && exists && exchangeNames(temporary, destination) == 0;
    if (!exchanged && ::rename(temporary.c_str(), destination.c_str()) != 0) {
        const std::string why = systemError("cannot rename " + temporary + " to " + destination);
        ::unlink(temporary.c_str());
        return why;
    }
    syncFolder(folderOf(destination));
    if (exchanged) keepSupersededFile(temporary);
    return {};
}

}  // namespace morvane
