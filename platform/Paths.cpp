// Stored paths to file-system paths and back: UTF-8 and the wide-character API on Windows, bytes
// elsewhere.
#include "platform/Paths.h"

#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#endif

namespace tarnwick::platform {

namespace {

#if defined(_WIN32)
// Converts with MultiByteToWideChar; flags 0 for the ANSI code page (never fails on any byte).
std::wstring wideFrom(const char* text, size_t length, UINT codePage, DWORD flags) {
  if (length == 0) return std::wstring();
  const int size = MultiByteToWideChar(codePage, flags, text, static_cast<int>(length), nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, flags, text, static_cast<int>(length), wide.data(), size);
  return wide;
}

// fopen's "x" (fail when the file exists) for a writing mode; the C runtime's own fopen does not
// know it everywhere, so the file is made with _O_EXCL and handed to a stream.
std::FILE* createExclusive(const std::filesystem::path& path, const char* mode) {
  if (mode[0] != 'w') return nullptr;
  const bool binary = std::strchr(mode, 'b') != nullptr;
  const bool update = std::strchr(mode, '+') != nullptr;
  const int flags =
      _O_CREAT | _O_EXCL | _O_TRUNC | (update ? _O_RDWR : _O_WRONLY) | (binary ? _O_BINARY : _O_TEXT) | _O_NOINHERIT;
  const int fd = _wopen(path.c_str(), flags, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* file = _fdopen(fd, update ? (binary ? "w+b" : "w+") : (binary ? "wb" : "w"));
  if (!file) _close(fd);
  return file;
}
#endif

}  // namespace

bool isValidUtf8(const char* text, size_t length) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < length) {
    const unsigned char lead = p[i];
    if (lead < 0x80) {
      ++i;
      continue;
    }
    size_t extra;
    uint32_t value;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
      value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      value = lead & 0x07u;
    } else {
      return false;
    }
    if (length - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      if ((p[i + k] & 0xC0u) != 0x80u) return false;
      value = (value << 6) | (p[i + k] & 0x3Fu);
    }
    if ((extra == 2 && value < 0x800) || (extra == 3 && (value < 0x10000 || value > 0x10FFFF)) ||
        (value >= 0xD800 && value <= 0xDFFF))
      return false;
    i += extra + 1;
  }
  return true;
}

#if defined(_WIN32)
std::wstring wideFromStored(const char* text) {
  if (!text) return std::wstring();
  const size_t length = std::strlen(text);
  return wideFrom(text, length, isValidUtf8(text, length) ? CP_UTF8 : CP_ACP, 0);
}
#endif

std::filesystem::path fileSystemPath(const char* storedPath) {
  if (!storedPath) return std::filesystem::path();
#if defined(_WIN32)
  return std::filesystem::path(wideFromStored(storedPath));
#else
  return std::filesystem::path(storedPath);
#endif
}

std::string utf8FromPath(const std::filesystem::path& path) {
#if defined(_WIN32)
  const std::wstring& wide = path.native();
  if (wide.empty()) return std::string();
  const int length = static_cast<int>(wide.size());
  // Unpaired surrogates (possible in NTFS names) become U+FFFD: the result is always valid UTF-8.
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
  return text;
#else
  return path.native();
#endif
}

std::FILE* openFile(const std::filesystem::path& path, const char* mode) noexcept {
  if (!mode) return nullptr;
#if defined(_WIN32)
  try {
    if (std::strchr(mode, 'x') != nullptr) return createExclusive(path, mode);
    const std::wstring wideMode = wideFrom(mode, std::strlen(mode), CP_UTF8, 0);
    return _wfopen(path.c_str(), wideMode.c_str());
  } catch (...) {
    return nullptr;
  }
#else
  return std::fopen(path.c_str(), mode);
#endif
}

std::FILE* openFile(const char* storedPath, const char* mode) noexcept {
  if (!storedPath || !mode) return nullptr;
#if defined(_WIN32)
  try {
    return openFile(fileSystemPath(storedPath), mode);
  } catch (...) {
    return nullptr;
  }
#else
  return std::fopen(storedPath, mode);
#endif
}

}  // namespace tarnwick::platform
