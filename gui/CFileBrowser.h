// The toolkit's own file browser: a modal view over the editor that lists folders and files and lets the
// user pick a file to open or name one to save, by mouse and keyboard, without a loop of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gui/CView.h"
#include "gui/FolderListing.h"
#include "gui/TextField.h"

namespace tarnwick::gui {

struct FileBrowseRequest {
  bool save = false;
  std::string title;
  std::vector<FileFilter> filters;        // the first one applies first; none lists every file
  std::string folder;                     // where to start (the nearest existing folder above it); empty: home
  std::string fileName;                   // the proposed name for save
  size_t maxEntries = kMaxFolderEntries;  // folders and files listed at most (the first ones)
};

// [ui-thread] Use: frame->addView(browser); frame->setModalView(browser); then, after each frame idle,
// look at state(); once it is not kOpen, frame->removeView(browser) and use path(). Everything happens in
// the frame's idle (mouse-downs and keys it delivers), so the host's idle keeps being served.
//
// Mouse: a click selects a row, a click on the row a click selected before opens it (folder) or chooses it
// (file), so a double-click opens only the row it was on; scroll arrows, the bar beneath them and the mouse
// wheel scroll; filter buttons change the filter; Open / Save and Cancel. Keys: Up, Down, Page Up, Page Down
// (and, opening, Home and End) move the selection; Enter opens or chooses; characters type into the save
// name (opening: jump to the next entry with that first letter); Escape cancels. Opening: Backspace goes to
// the parent folder. Saving: the name field takes Backspace, Delete, Left, Right, Home, End and Ctrl+A
// (select the whole name); choosing a file takes its name. The name is a path (resolveSaveName): absolute or
// from the listed folder; one that names a folder opens it, one that cannot be used is refused with
// notice() and left as typed.
class CFileBrowser : public CView {
 public:
  enum class State { kOpen, kChosen, kCancelled };
  // The parts of the browser, for hit tests and tests.
  enum class Part { kList, kScrollUp, kScrollDown, kScrollTrack, kFilter, kNameField, kOkButton, kCancelButton };

  CFileBrowser(const CRect& size, FileBrowseRequest request);

  State state() const { return state_; }
  // The chosen path (UTF-8 or whatever bytes the file system has) when kChosen.
  const std::string& path() const { return path_; }

  const std::string& folder() const { return folder_; }
  int32_t entryCount() const { return static_cast<int32_t>(listing_.entries.size()); }
  const FolderEntry& entry(int32_t index) const { return listing_.entries[static_cast<size_t>(index)]; }
  int32_t selectedIndex() const { return selected_; }
  int32_t filterIndex() const { return filter_; }
  const std::string& typedName() const { return field_.text(); }
  const TextField& nameField() const { return field_; }
  // Why the typed name was refused (shown in place of listingNote()); empty when nothing is to be said.
  const std::string& notice() const { return notice_; }
  bool folderReadable() const { return listing_.readable; }
  // What the title line says of the listing: that it was cut, or that the folder could not be read to its
  // end; empty otherwise.
  std::string listingNote() const;
  // A row's rectangle in frame coordinates; empty when the row is scrolled out of view.
  CRect rowRect(int32_t index) const;
  // A part's rectangle in frame coordinates (index: the filter button); empty when not shown.
  CRect partRect(Part part, int32_t index = 0) const;

  // Told the file's path whenever the selection moves onto a file, and "" when it moves onto a folder or
  // the listing changes; what it answers is the info line (shown on the title's line, e.g. what the file
  // holds). Not called for save requests.
  void setFileSelectedHook(std::function<std::string(const std::string& path)> hook) {
    fileSelected_ = std::move(hook);
  }
  const std::string& info() const { return info_; }

  // Opens the folder (the nearest existing one at or above it) in place of the current one.
  void openFolder(const std::string& folder);

  void draw(CDrawContext* context) override;
  void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;
  bool onKeyDown(const KeyEvent& key) override;
  bool onWheel(const CPoint& where, int32_t steps) override;
  bool wantsKeys() const override { return state_ == State::kOpen; }

 private:
  struct Layout {
    CRect title, folder, list, rows, scrollUp, scrollDown, track, nameLabel, name, ok, cancel;
    std::vector<CRect> filters;
  };
  Layout layout() const;
  CRect thumbRect(const Layout& l) const;
  void reload();
  void setFilter(int32_t index);
  int32_t visibleRows() const;
  void select(int32_t index);
  void tellSelection();
  void scrollTo(int32_t top);
  void activate(int32_t index);
  void accept();
  void cancel();
  bool nameKey(const KeyEvent& key);
  void editName();
  void jumpToLetter(char32_t character);
  void drawList(CDrawContext* context, const Layout& l);
  void drawScrollBar(CDrawContext* context, const Layout& l);
  void drawControls(CDrawContext* context, const Layout& l);
  void drawNameField(CDrawContext* context, const CRect& inner, const CRect& field);

  FileBrowseRequest request_;
  std::string folder_;
  FolderListing listing_;
  int32_t selected_ = -1;
  bool clickedSelection_ = false;  // the selected row was selected by a click, not by the browser
  int32_t top_ = 0;                // first row shown
  int32_t filter_ = 0;
  TextField field_;
  std::string notice_;
  std::string info_;      // from fileSelected_
  std::string toldPath_;  // the path fileSelected_ was last told
  bool reloading_ = false;
  std::function<std::string(const std::string&)> fileSelected_;
  State state_ = State::kOpen;
  std::string path_;
};

}  // namespace tarnwick::gui
