// Dynamic libraries through the POSIX loader.
#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace tarnwick::platform {

namespace {
std::string lastLoaderError(const char* fallback) {
  const char* text = dlerror();
  return text ? std::string(text) : std::string(fallback);
}
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
  // Local binding keeps one plug-in's symbols from resolving another's.
  handle_ = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (!handle_) {
    error_ = lastLoaderError("cannot open library");
    return false;
  }
  return true;
}

void DynamicLibrary::close() {
  if (handle_) {
    dlclose(handle_);
    handle_ = nullptr;
  }
}

void* DynamicLibrary::symbol(const char* name) {
  if (!handle_) {
    error_ = "no library is open";
    return nullptr;
  }
  dlerror();  // a null symbol is only an error when the loader says so
  void* address = dlsym(handle_, name);
  if (!address) {
    error_ = lastLoaderError("symbol is null");
    return nullptr;
  }
  error_.clear();
  return address;
}

bool DynamicLibrary::isLoaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL | RTLD_NOLOAD);
  if (!handle) {
    dlerror();
    return false;
  }
  dlclose(handle);
  return true;
}

}  // namespace tarnwick::platform
