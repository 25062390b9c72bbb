// File-system calls the standard library does not offer: making written data durable.
#pragma once

#include <cstdio>
#include <filesystem>

namespace tarnwick::platform {

// [any-thread] Writes the stream's buffers and asks the system to put the file's data on the disk;
// false when either fails.
bool flushToDisk(std::FILE* file);
// [any-thread] Asks the system to put a folder's entries (a file just renamed into it) on the disk;
// best effort, false when it cannot.
bool flushFolderToDisk(const std::filesystem::path& folder);

}  // namespace tarnwick::platform
