// Replacing a file so that a crash or a kill at any moment leaves either the old or the new
// file: the new content goes to a temporary file in the same folder, is written to disk and
// is then renamed over the original, which keeps its permissions.
//
// Temporary files are named ".<file name>.morvane-<pid>-<count>.tmp". A later replacement of
// the same file removes those left behind by processes that no longer run, and leaves those
// of running processes alone.
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>

namespace morvane {

// Writes the new content to the open descriptor, from its current position on (its start);
// returns "" or the reason it failed.
using ContentWriter = std::function<std::string(int descriptor)>;

// What becomes of the file a replacement supersedes.
enum class SupersededFile {
    Free,   // its blocks are freed at once
    Reuse,  // kept under a temporary name; the next replacement asking for it writes into
            // its blocks, which spares the file system freeing one large file and allocating
            // another (on POSIX systems that can exchange two names; elsewhere it is freed)
};

// Returns "" on success, else the reason; on failure the destination is as it was and no
// temporary file remains. newFileMode is used when the destination does not exist yet.
std::string replaceFileAtomically(const std::string& destination, const ContentWriter& writeContent,
                                  mode_t newFileMode = 0644, SupersededFile superseded = SupersededFile::Free);

// Removes the file kept for reuse, if any; a program that asks for reuse calls it before it
// ends. A file left by a process that was killed is removed like any other abandoned
// temporary file.
void removeKeptFile();

// Has an interrupt, a termination request or a hang-up remove the kept file before the
// program ends by it (signals the program ignores stay ignored). For a program's start.
void removeKeptFileWhenInterrupted();

// Closes the last descriptor of a file that a replacement has superseded. Closing it frees
// the old file's blocks, which keeps a file system busy for tens of milliseconds for a large
// VTC; on POSIX systems a helper thread does it while the work goes on, and the program
// waits for it before it ends. Windows replaces no file that is still open: there the
// descriptor is closed at once.
void closeReplacedFile(int descriptor);

// The temporary name this process would use for the destination's count-th replacement.
std::string temporaryFileName(const std::string& destination, pid_t pid, unsigned count);

// Removes the temporary files of the destination left by processes that no longer run.
// Returns how many were removed.
int removeAbandonedTemporaryFiles(const std::string& destination);

// Writes all bytes, retrying after partial writes and interruptions; "" or the reason.
std::string writeAll(int descriptor, const char* data, std::size_t size);

// Copies the source file from offset to its end onto the descriptor's current position,
// without holding more than a fixed buffer in memory; "" or the reason.
std::string copyFileTail(int sourceDescriptor, off_t offset, int destinationDescriptor);

}  // namespace morvane
