// Folder listing for the file browser with std::filesystem, error codes only.
#include "gui/FolderListing.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/Paths.h"

namespace tarnwick::gui {

namespace fs = std::filesystem;

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

// Names sort without regard to ASCII case, then by their bytes, so the order never depends on the locale.
bool nameBefore(const std::string& a, const std::string& b) {
  const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
  if (mismatch.first != a.end() && mismatch.second != b.end()) {
    return static_cast<unsigned char>(lowerAscii(*mismatch.first)) <
           static_cast<unsigned char>(lowerAscii(*mismatch.second));
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

// The longest name of a folder entry, in bytes (UTF-16 units on Windows, where UTF-8 may need more).
#if defined(_WIN32)
constexpr size_t kLongestFileName = 255 * 3;
#else
constexpr size_t kLongestFileName = 255;
#endif

#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
bool isSeparator(char c) { return c == '/' || c == '\\'; }
#else
bool isSeparator(char c) { return c == '/'; }
#endif

std::string withoutTrailingSeparator(fs::path path) {
  path = path.lexically_normal();
  std::string text = platform::utf8FromPath(path);
  while (text.size() > 1 && isSeparator(text.back()) && !isRootFolder(text)) text.pop_back();
  return text.empty() ? "/" : text;
}

// Where the browser starts without a request: the home folder.
std::string homeFolder() {
#if defined(_WIN32)
  const wchar_t* profile = _wgetenv(L"USERPROFILE");
  if (profile != nullptr && *profile != L'\0') return platform::utf8FromPath(fs::path(profile));
  return "/";
#else
  const char* home = std::getenv("HOME");
  return (home != nullptr && *home == '/') ? home : "/";
#endif
}

// Keeps the `most` names that come first in the listing's order.
void keepSmallest(std::vector<std::string>& names, size_t most) {
  if (names.size() <= most) return;
  std::nth_element(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(most), names.end(), nameBefore);
  names.resize(most);
}

bool isFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(platform::fileSystemPath(path.c_str()), error);
}

}  // namespace

bool filterAccepts(const FileFilter& filter, const std::string& name) {
  if (filter.extensions.empty()) return true;
  const size_t dot = name.rfind('.');
  const std::string extension = (dot == std::string::npos || dot == 0) ? std::string() : name.substr(dot + 1);
  for (const std::string& wanted : filter.extensions) {
    if (wanted == "*") return true;
    if (!extension.empty() && equalsIgnoringCase(extension, wanted)) return true;
  }
  return false;
}

FolderListing listFolder(const std::string& folder, const FileFilter* filter, size_t most) {
  FolderListing listing;
  try {
    if (!isRootFolder(folder)) listing.entries.push_back({"..", FolderEntry::Kind::kParent});
    std::vector<std::string> folders, files;
    // Keeps the first `most` of folders then files; what is dropped can never be among them.
    auto keepFirst = [most, &folders, &files] {
      keepSmallest(folders, most);
      keepSmallest(files, most - folders.size());
    };
    std::error_code error;
    // A folder that may not be read is an error here, not an empty folder.
    fs::directory_iterator it(platform::fileSystemPath(folder.c_str()), error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
      std::string name = platform::utf8FromPath(it->path().filename());
      if (name.empty() || name[0] == '.') continue;
      std::error_code typeError;
      if (it->is_directory(typeError)) {  // follows links, so a link to a folder opens like one
        folders.push_back(std::move(name));
      } else if (filter == nullptr || filterAccepts(*filter, name)) {
        files.push_back(std::move(name));
      } else {
        continue;
      }
      ++listing.found;
      if (folders.size() + files.size() > 2 * most + 64) keepFirst();
    }
    listing.readable = !error;
    keepFirst();
    listing.listed = folders.size() + files.size();
    std::sort(folders.begin(), folders.end(), nameBefore);
    std::sort(files.begin(), files.end(), nameBefore);
    for (std::string& name : folders) listing.entries.push_back({std::move(name), FolderEntry::Kind::kFolder});
    for (std::string& name : files) listing.entries.push_back({std::move(name), FolderEntry::Kind::kFile});
  } catch (...) {  // out of memory while listing a huge folder: show what is safe to show
    listing.entries.clear();
    if (!isRootFolder(folder)) listing.entries.push_back({"..", FolderEntry::Kind::kParent});
    listing.readable = false;
    listing.listed = listing.found = 0;
  }
  return listing;
}

std::string startFolder(const std::string& requested) {
  try {
    const std::string wanted = requested.empty() ? homeFolder() : requested;
    std::error_code error;
    fs::path path = fs::absolute(platform::fileSystemPath(wanted.c_str()), error);
    if (error) return "/";
    std::string folder = withoutTrailingSeparator(path);
    while (!isRootFolder(folder) && !isFolder(folder)) folder = parentFolder(folder);
    return folder;
  } catch (...) {
    return "/";
  }
}

bool isRootFolder(const std::string& folder) {
#if defined(_WIN32)
  try {
    const fs::path path = platform::fileSystemPath(folder.c_str());
    return path.relative_path().empty();
  } catch (...) {
    return true;
  }
#else
  return folder == "/";
#endif
}

std::string parentFolder(const std::string& folder) {
#if defined(_WIN32)
  if (isRootFolder(folder)) return folder.empty() ? "/" : folder;
  const size_t slash = folder.find_last_of("/\\");
  if (slash == std::string::npos) return "/";
  const std::string parent = folder.substr(0, slash);
  return isRootFolder(parent + kPathSeparator) ? parent + kPathSeparator : parent;
#else
  const size_t slash = folder.rfind('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return folder.substr(0, slash);
#endif
}

std::string joinPath(const std::string& folder, const std::string& name) {
#if defined(_WIN32)
  if (folder.empty()) return std::string(1, kPathSeparator) + name;
  return isSeparator(folder.back()) ? folder + name : folder + kPathSeparator + name;
#else
  return (folder == "/" || folder.empty()) ? "/" + name : folder + "/" + name;
#endif
}

SaveName resolveSaveName(const std::string& folder, const std::string& typed) {
  SaveName result;
  auto refuse = [&result](std::string problem) {
    result.kind = SaveName::Kind::kRefused;
    result.problem = std::move(problem);
    return result;
  };
  if (typed.empty()) return refuse("Type a name for the file.");
  try {
    const fs::path path =
        (platform::fileSystemPath(folder.c_str()) / platform::fileSystemPath(typed.c_str())).lexically_normal();
    const std::string text = platform::utf8FromPath(path);
    if (isSeparator(typed.back()) || !path.has_filename() || isFolder(text)) {
      if (!isFolder(text)) return refuse("No such folder: " + text);
      result.kind = SaveName::Kind::kFolder;
      result.path = withoutTrailingSeparator(path);
      return result;
    }
    const std::string parent = platform::utf8FromPath(path.parent_path());
    if (!isFolder(parent)) return refuse("No such folder: " + parent);
    const std::string name = platform::utf8FromPath(path.filename());
#if defined(_WIN32)
    if (name.find_first_of("<>:\"|?*") != std::string::npos)
      return refuse("A file name cannot hold any of < > : \" | ? *");
#endif
    if (name.size() > kLongestFileName) return refuse("The name is too long for a file.");
    result.kind = SaveName::Kind::kFile;
    result.path = text;
    return result;
  } catch (...) {
    return refuse("Not a usable name: " + typed);
  }
}

}  // namespace tarnwick::gui
