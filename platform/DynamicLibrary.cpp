// Dynamic libraries through the POSIX loader, or the Windows loader (paths are UTF-8 there).
#include "platform/DynamicLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <utility>

#include "platform/Paths.h"

namespace tarnwick::platform {

namespace {
#if defined(_WIN32)
// The system's text for the calling thread's last error, in UTF-8, without the trailing line break.
std::string lastLoaderError(const char* fallback) {
  const DWORD code = GetLastError();
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer) text = utf8FromPath(std::filesystem::path(std::wstring(buffer, length)));
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty()) text = fallback;
  return text + " (error " + std::to_string(code) + ")";
}
#else
std::string lastLoaderError(const char* fallback) {
  const char* text = dlerror();
  return text ? std::string(text) : std::string(fallback);
}
#endif
}  // namespace

DynamicLibrary::~DynamicLibrary() { close(); }

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, nullptr);
    error_ = std::move(other.error_);
  }
  return *this;
}

bool DynamicLibrary::open(const std::string& path) {
  close();
  error_.clear();
#if defined(_WIN32)
  try {
    const std::filesystem::path file = fileSystemPath(path.c_str());
    // The library's own folder is searched for what it depends on; a failure shows no dialog.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    handle_ = LoadLibraryExW(file.c_str(), nullptr, file.is_absolute() ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
    const DWORD loadError = GetLastError();
    SetThreadErrorMode(previousMode, nullptr);
    SetLastError(loadError);
  } catch (...) {
    handle_ = nullptr;
  }
#else
  // Local binding keeps one plug-in's symbols from resolving another's.
  handle_ = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
#endif
  if (!handle_) {
#if defined(_WIN32)
    error_ = path + ": " + lastLoaderError("cannot open library");  // named as the Linux loader names it
#else
    error_ = lastLoaderError("cannot open library");
#endif
    return false;
  }
  return true;
}

void DynamicLibrary::close() {
  if (handle_) {
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
    handle_ = nullptr;
  }
}

void* DynamicLibrary::symbol(const char* name) {
  if (!handle_) {
    error_ = "no library is open";
    return nullptr;
  }
#if defined(_WIN32)
  void* address = reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
  if (!address) {
    error_ = lastLoaderError("no such symbol");
    return nullptr;
  }
#else
  dlerror();  // a null symbol is only an error when the loader says so
  void* address = dlsym(handle_, name);
  if (!address) {
    error_ = lastLoaderError("symbol is null");
    return nullptr;
  }
#endif
  error_.clear();
  return address;
}

bool DynamicLibrary::isLoaded(const std::string& path) {
#if defined(_WIN32)
  try {
    return GetModuleHandleW(fileSystemPath(path.c_str()).c_str()) != nullptr;
  } catch (...) {
    return false;
  }
#else
  void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL | RTLD_NOLOAD);
  if (!handle) {
    dlerror();
    return false;
  }
  dlclose(handle);
  return true;
#endif
}

}  // namespace tarnwick::platform
