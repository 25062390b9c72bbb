// What the file browser lists of a folder: its sub-folders and the files a filter lets through, sorted,
// without hidden dot-files; and the path arithmetic the browser needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::gui {

struct FileFilter {
  std::string name;
  std::vector<std::string> extensions;  // without the dot; "*" = all files
};

struct FolderEntry {
  enum class Kind { kParent, kFolder, kFile };
  std::string name;  // as the file system has it (UTF-8 or not); ".." for the parent
  Kind kind = Kind::kFile;
};

struct FolderListing {
  std::vector<FolderEntry> entries;  // the parent first (unless at the root), then folders, then files
  bool readable = true;              // false: the folder could not be read (or not to its end)
  size_t listed = 0;                 // folders and files listed (the parent not counted)
  size_t found = 0;                  // folders and files the folder holds for the filter; > listed: cut
};

// Whether the file name has one of the filter's extensions (ASCII letters compared case-insensitively).
// Every name passes a filter with "*" or without extensions.
bool filterAccepts(const FileFilter& filter, const std::string& name);

// [ui-thread] Reads the folder (a normalised absolute path). Never throws; an unreadable folder lists as
// its parent entry alone. Of a folder with more than `most` folders and files, the first `most` in the
// listing's order are listed (the memory kept stays in proportion to `most`, whatever the folder holds).
constexpr size_t kMaxFolderEntries = 50000;
FolderListing listFolder(const std::string& folder, const FileFilter* filter, size_t most = kMaxFolderEntries);

// An absolute, normalised path without a trailing separator ("/" for the root) of the nearest folder that
// exists at or above `requested` (relative paths are taken from the current folder); the home folder for
// an empty request; "/" when nothing else is found. On Windows paths are UTF-8 with '\' between the
// parts, a drive's root keeps its separator ("C:\") and the home folder is the user's profile.
std::string startFolder(const std::string& requested);
// True for a folder without a parent ("/"; on Windows also "C:\" and "\\server\share").
bool isRootFolder(const std::string& folder);
// The folder above (the root for the root).
std::string parentFolder(const std::string& folder);
// folder + "/" + name (Windows: '\'), without a doubled separator at the root.
std::string joinPath(const std::string& folder, const std::string& name);

// What a name typed into a save dialog stands for: a path, absolute or taken from `folder` (on Windows
// '\' separates its parts as well as '/'), with "." and ".." parts resolved. A path that ends in a
// separator or names a folder that exists is a folder to open; a file needs an existing folder and a
// name the file system takes. Nothing typed is ever changed: what cannot be used is refused with the
// reason, for the user.
struct SaveName {
  enum class Kind { kFile, kFolder, kRefused };
  Kind kind = Kind::kRefused;
  std::string path;     // kFile: the file to write; kFolder: the folder to open
  std::string problem;  // kRefused
};
SaveName resolveSaveName(const std::string& folder, const std::string& typed);

}  // namespace tarnwick::gui
