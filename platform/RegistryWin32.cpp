// The registry of Windows: keys of HKEY_CURRENT_USER. Keys are opened, never created. Names, paths
// and string values cross this file as UTF-8 and are kept in the registry as Unicode, so the entries
// read the same to every program (and a value an ANSI build stored reads back correctly).
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Paths.h"
#include "platform/Registry.h"

namespace tarnwick::platform {

namespace {

constexpr DWORD kMaxValueNameChars = 16384;  // the registry's limit, terminator included
constexpr size_t kMaxValueBytes = size_t{1} << 20;

std::mutex gRootMutex;
std::string gRootOverride;
bool gHasOverride = false;

// UTF-16 units (a terminator among them is converted too) to UTF-8.
std::string utf8From(const wchar_t* wide, size_t count) {
  if (count == 0) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(count), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(count), text.data(), size, nullptr, nullptr);
  return text;
}

// The key path below HKEY_CURRENT_USER, the test root put before it; empty for an empty part.
std::wstring keyPath(const char* path) {
  if (!path || path[0] == '\0') return std::wstring();
  std::string full;
  {
    std::lock_guard<std::mutex> guard(gRootMutex);
    if (gHasOverride) {
      if (gRootOverride.empty()) return std::wstring();
      full = gRootOverride + '\\';
    }
  }
  full += path;
  if (full.front() == '\\' || full.back() == '\\' || full.find("\\\\") != std::string::npos) return std::wstring();
  return wideFromStored(full.c_str());
}

}  // namespace

void RegistryKey::KeyCloser::operator()(void* key) const noexcept { RegCloseKey(static_cast<HKEY>(key)); }

bool RegistryKey::open(const char* path, RegistryAccess access) noexcept {
  close();
  try {
    const std::wstring subKey = keyPath(path);
    if (subKey.empty()) return false;
    const REGSAM rights = access == RegistryAccess::kWrite ? (KEY_READ | KEY_SET_VALUE) : KEY_READ;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, rights, &key) != ERROR_SUCCESS) return false;
    key_.reset(key);
    writable_ = access == RegistryAccess::kWrite;
    open_ = true;
    return true;
  } catch (...) {
    close();
    return false;
  }
}

void RegistryKey::close() noexcept {
  open_ = false;
  writable_ = false;
  key_.reset();
}

RegistryFetch RegistryKey::enumValue(uint32_t index, char* name, size_t nameCapacity, uint8_t* data,
                                     size_t dataCapacity, size_t& dataSize) const noexcept {
  if (!open_ || !key_) return RegistryFetch::kNoMoreValues;
  try {
    // A string of n UTF-8 bytes has at most n UTF-16 units: a value that does not fit twice the
    // capacity in bytes cannot fit the caller's buffer either. Larger values than any we write fail.
    const size_t wideCapacity = std::min(dataCapacity, kMaxValueBytes) * 2 + 2;
    std::vector<wchar_t> wideName(kMaxValueNameChars);
    std::vector<uint8_t> raw(wideCapacity);
    DWORD nameChars = kMaxValueNameChars;
    DWORD type = 0;
    DWORD rawSize = static_cast<DWORD>(raw.size());
    const LSTATUS status = RegEnumValueW(static_cast<HKEY>(key_.get()), index, wideName.data(), &nameChars, nullptr,
                                         &type, raw.data(), &rawSize);
    if (status == ERROR_NO_MORE_ITEMS) return RegistryFetch::kNoMoreValues;
    if (status != ERROR_SUCCESS) return RegistryFetch::kFailed;  // ERROR_MORE_DATA among them

    const std::string valueName = utf8From(wideName.data(), nameChars);
    if (!name || valueName.size() + 1 > nameCapacity) return RegistryFetch::kFailed;
    std::string bytes;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
      bytes = utf8From(reinterpret_cast<const wchar_t*>(raw.data()), rawSize / sizeof(wchar_t));
    } else {
      bytes.assign(reinterpret_cast<const char*>(raw.data()), rawSize);
    }
    if (!data || bytes.size() > dataCapacity) return RegistryFetch::kFailed;
    std::memcpy(name, valueName.c_str(), valueName.size() + 1);
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    dataSize = bytes.size();
    return RegistryFetch::kOk;
  } catch (...) {
    return RegistryFetch::kFailed;
  }
}

bool RegistryKey::setString(const char* name, const char* text) noexcept {
  if (!open_ || !writable_ || !key_ || !text || !name || name[0] == '\0') return false;
  try {
    const std::wstring wideName = wideFromStored(name);
    if (wideName.empty() || wideName.size() >= kMaxValueNameChars) return false;
    const std::wstring wideText = wideFromStored(text);
    const size_t bytes = (wideText.size() + 1) * sizeof(wchar_t);  // with the terminator
    if (bytes > MAXDWORD) return false;
    return RegSetValueExW(static_cast<HKEY>(key_.get()), wideName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wideText.c_str()), static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
  } catch (...) {
    return false;
  }
}

void setRegistryRootForTesting(const char* folder) {
  std::lock_guard<std::mutex> guard(gRootMutex);
  gHasOverride = folder != nullptr;
  gRootOverride = folder ? folder : "";
}

}  // namespace tarnwick::platform
