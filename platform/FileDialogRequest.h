// What a file dialog of the desktop is asked for: open or save, title, file types, where to start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::platform {

struct FileDialogFilter {
  std::string name;
  std::vector<std::string> extensions;  // without the dot; "*" = all files
};

struct FileDialogRequest {
  bool save = false;
  std::string title;
  std::vector<FileDialogFilter> filters;
  std::string folder;    // where to start; may be empty
  std::string fileName;  // proposed name for save; may be empty
  // The host's top-level window the dialog belongs to (an X11 window id, an HWND); 0 when unknown.
  uintptr_t owner = 0;
};

}  // namespace tarnwick::platform
