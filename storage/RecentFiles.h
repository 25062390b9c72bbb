// The list of the 20 most recently used bank files, kept in the user's registry.
#pragma once

#include <cstddef>

namespace tarnwick {

inline constexpr int kRecentFileCount = 20;
inline constexpr size_t kRecentFileBytes = 1024;  // a path of at most 1023 characters and its terminator
inline constexpr char kRecentFilesKey[] = "Software\\Pemberlo Audio\\Tarnwick\\Recent";
// Stands in an entry whose stored path was too long to read back; the editor never opens it.
inline constexpr char kRecentNameTooLong[] = "< original filename too long >";

// Entry 0 is the most recent. Owned by the user-interface thread; takes no lock.
class RecentFiles {
 public:
  // The entry's path, "" when empty or when index is out of range.
  const char* entry(int index) const;

  // [construction thread] Reads the values "00".."19" of the key. Without the key the entries
  // stay as they are.
  void read();

  // [ui-thread] Puts path first and writes the list, unless it is already in the list (then
  // nothing changes and nothing is written). A path of 1024 characters or more is not taken.
  // True when the list changed.
  bool add(const char* path);

  // [ui-thread] Writes all 20 entries, empty ones as empty strings. Without the key nothing is
  // written; a failed value is skipped.
  void write() const;

 private:
  char entries_[kRecentFileCount][kRecentFileBytes] = {};
};

}  // namespace tarnwick
