// The free space of the destination as the Files page shows it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace cvk::media {

struct DiskSpace {
    std::uint64_t freeBytes = 0;
    std::uint64_t totalBytes = 0;
};

// Asks the file system (statvfs) about the folder; none when the query fails.
std::optional<DiskSpace> QueryDiskSpace(const std::string& folder);

// The query the texts below use; tests put their own in its place.
using DiskSpaceQuery = std::function<std::optional<DiskSpace>(const std::string& folder)>;

// "1 MB Available/2 MB Total" from 1 MB free up, in whole megabytes; below that
// "0.50MB Available / 1.44MB Total", or "Drive not available" when both are 0;
// "Could not determine available disk space" when the query fails.
std::string FreeSpaceText(const std::optional<DiskSpace>& space);
std::string FreeSpaceText(const std::string& folder, const DiskSpaceQuery& query = QueryDiskSpace);

} // namespace cvk::media
