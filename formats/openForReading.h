// Opening a file for reading as a descriptor that does not stand in the way of replacing
// the same file while it is open: a VTC is read while its replacement is moved over it.
#pragma once

#include <string>

#if !defined(_WIN32)
#include <fcntl.h>
#endif

namespace morvane {

// The descriptor, or -1 with errno set.
#if defined(_WIN32)
int openForReading(const std::string& path);
// A handle (HANDLE) opened with every sharing mode for the access asked, or null.
void* openSharedHandle(const std::string& path, unsigned long access);
#else
inline int openForReading(const std::string& path) { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }
#endif

}  // namespace morvane
