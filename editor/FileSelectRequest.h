// What a file dialog is asked for: open or save, its title, its file types (with the texts a host's
// own selector receives), where it starts and the name it proposes.
#pragma once

#include <string>
#include <vector>

namespace tarnwick {

// A file type of a dialog, with the texts a host's selector receives.
struct FileTypeEntry {
  const char* name;
  const char* macType;
  const char* dosType;  // extension without the dot; "*" for every file
  const char* unixType;
  const char* mimeType1;
  const char* mimeType2;
};

struct FileSelectRequest {
  bool save = false;
  const char* title = "";
  std::vector<FileTypeEntry> types;
  std::string folder;    // where the desktop dialog or the browser starts; empty: the home folder
  std::string fileName;  // the name proposed for a save
  // The toolkit's browser plays a selected recording (EditorActions::previewRecording) and tells what it
  // holds.
  bool previewRecordings = false;
};

}  // namespace tarnwick
