// Paths as the instrument stores them (bytes, UTF-8 on Windows) and as the file system takes them.
// On Linux a path is its bytes, passed on unchanged. On Windows stored paths are UTF-8 and files are
// opened through the wide-character API; a stored path that is not valid UTF-8 was written by a build
// that used the ANSI code page and is read in it, so older sessions still find their files.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace tarnwick::platform {

// [any-thread] The file-system path for a stored or user-given path. Never throws on bad bytes; may
// throw std::bad_alloc.
std::filesystem::path fileSystemPath(const char* storedPath);

// [any-thread] A path from the file system (a listing, a dialog) as the instrument stores it: UTF-8 on
// Windows, the bytes as they are elsewhere.
std::string utf8FromPath(const std::filesystem::path& path);

// [any-thread] fopen for a stored path (mode as for fopen, "x" included); null on failure, never throws.
std::FILE* openFile(const char* storedPath, const char* mode) noexcept;
std::FILE* openFile(const std::filesystem::path& path, const char* mode) noexcept;

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUtf8(const char* text, size_t length);

#if defined(_WIN32)
// [any-thread] UTF-16 for a stored text (a path, a registry name, a message): UTF-8, or the ANSI code
// page's bytes when it is not valid UTF-8. Empty for null or empty text.
std::wstring wideFromStored(const char* text);
#endif

}  // namespace tarnwick::platform
