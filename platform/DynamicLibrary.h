// Loading a shared library and looking up its exported symbols.
#pragma once

#include <string>

namespace tarnwick::platform {

// Owns one handle of a dynamic library; the library stays mapped until close() or destruction.
class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary();
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Opens the library at path (closing any library held before); false with error() set on failure.
  bool open(const std::string& path);
  void close();
  bool isOpen() const { return handle_ != nullptr; }

  // The address of an exported symbol, or null (with error() set) when it is missing or nothing is open.
  void* symbol(const char* name);

  // Text of the last failure of open() or symbol(); empty after a success.
  const std::string& error() const { return error_; }

  // True when the library at path is already mapped into this process (opens nothing).
  static bool isLoaded(const std::string& path);

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace tarnwick::platform
