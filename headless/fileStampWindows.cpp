// File stamps on Windows, where a file's identity is its volume and file index and its time
// has 100-nanosecond steps.
#include "headless/hostSession.h"
#include "formats/openForReading.h"

#include "headless/windowsApi.h"

#include "formats/textFormat.h"

namespace morvane {

std::optional<FileStamp> stampOf(const std::string& path) {
    HANDLE file = static_cast<HANDLE>(openSharedHandle(path, 0));
    if (file == nullptr) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    if (!known) return std::nullopt;
    FileStamp stamp;
    stamp.name = lastComponent(path);
    stamp.device = static_cast<dev_t>(information.dwVolumeSerialNumber);
    // ino_t is narrower than the file index; the time and size tell files apart as well.
    stamp.inode = static_cast<ino_t>(information.nFileIndexLow);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(information.ftLastWriteTime.dwHighDateTime) << 32) |
        information.ftLastWriteTime.dwLowDateTime;
    stamp.modifiedNs = static_cast<long long>(ticks) * 100;
    stamp.size = static_cast<long long>((static_cast<unsigned long long>(information.nFileSizeHigh) << 32) |
                                        information.nFileSizeLow);
    return stamp;
}

}  // namespace morvane
