// The free space of the destination as the Files page shows it.
#include "media/free_space.h"

#include "media/messages.h"

#include <sys/statvfs.h>

#include <cstdio>

namespace cvk::media {

namespace {

constexpr std::uint64_t kMegabyte = 1048576;

} // namespace

std::optional<DiskSpace> QueryDiskSpace(const std::string& folder) {
    struct statvfs info {};
    if (folder.empty() || ::statvfs(folder.c_str(), &info) != 0)
        return std::nullopt;
    // Space an unprivileged user may fill, as the DOS tools' user sees it.
    return DiskSpace{std::uint64_t(info.f_bavail) * info.f_frsize,
                     std::uint64_t(info.f_blocks) * info.f_frsize};
}

std::string FreeSpaceText(const std::optional<DiskSpace>& space) {
    if (!space)
        return kNoFreeSpaceText;
    char text[128];
    if (space->freeBytes >= kMegabyte) {
        std::snprintf(text, sizeof text, "%llu MB Available/%llu MB Total",
                      static_cast<unsigned long long>(space->freeBytes / kMegabyte),
                      static_cast<unsigned long long>(space->totalBytes / kMegabyte));
        return text;
    }
    if (space->freeBytes == 0 && space->totalBytes == 0)
        return kDriveNotAvailableText;
    std::snprintf(text, sizeof text, "%.2fMB Available / %.2fMB Total",
                  double(space->freeBytes) / kMegabyte, double(space->totalBytes) / kMegabyte);
    return text;
}

std::string FreeSpaceText(const std::string& folder, const DiskSpaceQuery& query) {
    return FreeSpaceText(query(folder));
}

} // namespace cvk::media
