// The file browser's state, layout and input: folders, selection, scrolling, filters, the save name,
// mouse and keys.
#include "gui/CFileBrowser.h"

#include <algorithm>
#include <string>
#include <utility>

#include "gui/CFrame.h"
#include "gui/COffscreenContext.h"
#include "gui/Utf8.h"

namespace tarnwick::gui {

namespace {

constexpr CCoord kPad = 8;
constexpr CCoord kRowHeight = 18;
constexpr CCoord kScrollWidth = 15;
constexpr CCoord kButtonWidth = 80;
constexpr CCoord kButtonHeight = 22;
constexpr CCoord kFieldHeight = 20;
constexpr int32_t kScrollStep = 3;
constexpr int32_t kTypingModifiers =
    platform::kKeyModifierControl | platform::kKeyModifierCommand | platform::kKeyModifierAlt;

char32_t lowerAscii(char32_t c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

}  // namespace

CFileBrowser::CFileBrowser(const CRect& rect, FileBrowseRequest request) : CView(rect), request_(std::move(request)) {
  field_.setText(request_.fileName);
  openFolder(request_.folder);
}

void CFileBrowser::openFolder(const std::string& folder) {
  folder_ = startFolder(folder);
  notice_.clear();
  reload();
}

void CFileBrowser::reload() {
  const FileFilter* filter = filter_ < static_cast<int32_t>(request_.filters.size())
                                 ? &request_.filters[static_cast<size_t>(filter_)]
                                 : nullptr;
  listing_ = listFolder(folder_, filter, request_.maxEntries);
  top_ = 0;
  selected_ = -1;
  // Opening: the first entry below the parent, so Enter acts at once. Saving: nothing, so Enter saves under
  // the proposed name. A click on a row the browser highlighted by itself only selects it: the second
  // click of a double-click that opened a folder must not open what the new listing highlights.
  // The browser's own highlight is no choice of the user's: nothing is told (a preview stops).
  reloading_ = true;
  if (!request_.save && entryCount() > 0)
    select(entryCount() > 1 && entry(0).kind == FolderEntry::Kind::kParent ? 1 : 0);
  reloading_ = false;
  clickedSelection_ = false;
  if (fileSelected_ && !toldPath_.empty()) {
    toldPath_.clear();
    info_ = fileSelected_(toldPath_);
  }
  setDirty(true);
}

std::string CFileBrowser::listingNote() const {
  if (listing_.found > listing_.listed) {
    return "Only the first " + std::to_string(listing_.listed) + " of " + std::to_string(listing_.found) +
           " entries are listed.";
  }
  if (!listing_.readable && listing_.listed > 0) return "This folder could not be read to its end.";
  return std::string();
}

void CFileBrowser::setFilter(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(request_.filters.size()) || index == filter_) return;
  filter_ = index;
  reload();
}

CFileBrowser::Layout CFileBrowser::layout() const {
  Layout l;
  const CRect& s = size;
  l.title = CRect(s.left + kPad, s.top + 6, s.right - kPad, s.top + 24);
  l.folder = CRect(s.left + kPad, s.top + 26, s.right - kPad, s.top + 42);
  l.cancel = CRect(s.right - kPad - kButtonWidth, s.bottom - kPad - kButtonHeight, s.right - kPad, s.bottom - kPad);
  l.ok = l.cancel;
  l.ok.offset(-(kButtonWidth + 8), 0);
  if (request_.filters.size() > 1) {
    COffscreenContext measure(nullptr, 1, 1);
    measure.setFont(kNormalFontSmall);
    CCoord x = s.left + kPad;
    for (const FileFilter& filter : request_.filters) {
      const CCoord w = measure.getStringWidth(filter.name.c_str()) + 16;
      CRect chip(x, l.ok.top + 1, std::min(x + w, l.ok.left - 8), l.ok.bottom - 1);
      if (chip.width() < 16) chip = CRect();  // no room left on the row
      l.filters.push_back(chip);
      x += w + 4;
    }
  }
  CCoord bottom = l.ok.top - 6;
  if (request_.save) {
    l.nameLabel = CRect(s.left + kPad, bottom - kFieldHeight, s.left + kPad + 44, bottom);
    l.name = CRect(l.nameLabel.right + 4, bottom - kFieldHeight, s.right - kPad, bottom);
    bottom -= kFieldHeight + 6;
  }
  l.list = CRect(s.left + kPad, s.top + 46, s.right - kPad, std::max(s.top + 46 + 3 * kRowHeight, bottom));
  l.rows = CRect(l.list.left + 1, l.list.top + 1, l.list.right - 1 - kScrollWidth, l.list.bottom - 1);
  l.scrollUp = CRect(l.rows.right, l.rows.top, l.list.right - 1, l.rows.top + kScrollWidth);
  l.scrollDown = CRect(l.rows.right, l.rows.bottom - kScrollWidth, l.list.right - 1, l.rows.bottom);
  l.track = CRect(l.rows.right, l.scrollUp.bottom, l.list.right - 1, l.scrollDown.top);
  return l;
}

int32_t CFileBrowser::visibleRows() const { return std::max<int32_t>(1, layout().rows.height() / kRowHeight); }

CRect CFileBrowser::thumbRect(const Layout& l) const {
  const int32_t rows = std::max<int32_t>(1, l.rows.height() / kRowHeight), count = entryCount();
  if (count <= rows) return l.track;
  const CCoord height = std::max<CCoord>(12, l.track.height() * rows / count);
  const CCoord top = l.track.top + (l.track.height() - height) * top_ / (count - rows);
  return CRect(l.track.left, top, l.track.right, top + height);
}

CRect CFileBrowser::rowRect(int32_t index) const {
  const Layout l = layout();
  const int32_t rows = std::max<int32_t>(1, l.rows.height() / kRowHeight);
  if (index < top_ || index >= top_ + rows || index >= entryCount()) return CRect();
  const CCoord y = l.rows.top + (index - top_) * kRowHeight;
  return CRect(l.rows.left, y, l.rows.right, y + kRowHeight);
}

CRect CFileBrowser::partRect(Part part, int32_t index) const {
  const Layout l = layout();
  switch (part) {
    case Part::kList: return l.rows;
    case Part::kScrollUp: return l.scrollUp;
    case Part::kScrollDown: return l.scrollDown;
    case Part::kScrollTrack: return l.track;
    case Part::kFilter:
      return (index >= 0 && index < static_cast<int32_t>(l.filters.size())) ? l.filters[static_cast<size_t>(index)]
                                                                            : CRect();
    case Part::kNameField: return l.name;
    case Part::kOkButton: return l.ok;
    case Part::kCancelButton: return l.cancel;
  }
  return CRect();
}

void CFileBrowser::select(int32_t index) {
  const int32_t count = entryCount();
  if (count == 0) return;
  selected_ = std::clamp(index, 0, count - 1);
  const int32_t rows = visibleRows();
  if (selected_ < top_) scrollTo(selected_);
  if (selected_ >= top_ + rows) scrollTo(selected_ - rows + 1);
  if (request_.save && entry(selected_).kind == FolderEntry::Kind::kFile) field_.setText(entry(selected_).name);
  tellSelection();
  setDirty(true);
}

void CFileBrowser::scrollTo(int32_t top) {
  top_ = std::clamp(top, 0, std::max(0, entryCount() - visibleRows()));
  setDirty(true);
}

void CFileBrowser::tellSelection() {
  if (!fileSelected_ || request_.save || reloading_) return;
  const bool file = selected_ >= 0 && selected_ < entryCount() && entry(selected_).kind == FolderEntry::Kind::kFile;
  const std::string path = file ? joinPath(folder_, entry(selected_).name) : std::string();
  if (path == toldPath_) return;
  toldPath_ = path;
  info_ = fileSelected_(path);
  setDirty(true);
}

void CFileBrowser::activate(int32_t index) {
  if (index < 0 || index >= entryCount()) return;
  const FolderEntry& chosen = entry(index);
  if (chosen.kind == FolderEntry::Kind::kParent) {
    const std::string cameFrom = folder_.substr(folder_.rfind('/') + 1);
    openFolder(parentFolder(folder_));
    for (int32_t i = 0; i < entryCount(); ++i) {
      if (entry(i).kind == FolderEntry::Kind::kFolder && entry(i).name == cameFrom) select(i);
    }
    clickedSelection_ = false;
  } else if (chosen.kind == FolderEntry::Kind::kFolder) {
    openFolder(joinPath(folder_, chosen.name));
  } else {
    if (request_.save) field_.setText(chosen.name);
    path_ = joinPath(folder_, chosen.name);
    state_ = State::kChosen;
    setDirty(true);
  }
}

void CFileBrowser::accept() {
  if (selected_ >= 0 && (!request_.save || entry(selected_).kind != FolderEntry::Kind::kFile)) {
    activate(selected_);
  } else if (request_.save) {
    // The name is a path: a file to save to, a folder to open, or refused as it stands.
    const SaveName target = resolveSaveName(folder_, field_.text());
    switch (target.kind) {
      case SaveName::Kind::kFile:
        path_ = target.path;
        state_ = State::kChosen;
        break;
      case SaveName::Kind::kFolder:
        openFolder(target.path);
        field_.setText(std::string());
        break;
      case SaveName::Kind::kRefused: notice_ = target.problem; break;
    }
    setDirty(true);
  }
}

bool CFileBrowser::onWheel(const CPoint& /*where*/, int32_t steps) {
  if (state_ != State::kOpen) return false;
  scrollTo(top_ - steps * kScrollStep);  // up shows earlier rows
  return true;
}

void CFileBrowser::cancel() {
  state_ = State::kCancelled;
  setDirty(true);
}

void CFileBrowser::editName() {
  selected_ = -1;  // Enter now saves under the typed name
  notice_.clear();
  setDirty(true);
}

bool CFileBrowser::nameKey(const KeyEvent& key) {
  switch (key.virtualKey) {
    case platform::kKeyBack: field_.backspace(); break;
    case platform::kKeyDelete: field_.deleteForward(); break;
    case platform::kKeyLeft: field_.left(); break;
    case platform::kKeyRight: field_.right(); break;
    case platform::kKeyHome: field_.home(); break;
    case platform::kKeyEnd: field_.end(); break;
    default:
      if ((key.modifiers & kTypingModifiers) == platform::kKeyModifierControl &&
          (key.character == 'a' || key.character == 'A')) {
        field_.selectAll();
        break;
      }
      return false;
  }
  editName();
  return true;
}

void CFileBrowser::jumpToLetter(char32_t character) {
  const int32_t count = entryCount();
  for (int32_t step = 1; step <= count; ++step) {
    const int32_t i = (std::max(selected_, 0) + step) % count;
    const char* p = entry(i).name.c_str();
    if (entry(i).kind != FolderEntry::Kind::kParent && lowerAscii(nextCodePoint(p)) == lowerAscii(character)) {
      select(i);
      return;
    }
  }
}

void CFileBrowser::mouse(CDrawContext* /*context*/, CPoint& where, int32_t buttons) {
  if (buttons == -1 && getFrame() != nullptr) buttons = getFrame()->getCurrentMouseButtons();
  if (state_ != State::kOpen || (buttons & kLButton) == 0) return;
  const Layout l = layout();
  if (l.rows.pointInside(where)) {
    const int32_t index = top_ + (where.y - l.rows.top) / kRowHeight;
    if (index >= entryCount()) return;
    if (index == selected_ && clickedSelection_) {
      activate(index);
    } else {
      select(index);
      clickedSelection_ = true;
    }
  } else if (l.scrollUp.pointInside(where)) {
    scrollTo(top_ - kScrollStep);
  } else if (l.scrollDown.pointInside(where)) {
    scrollTo(top_ + kScrollStep);
  } else if (l.track.pointInside(where)) {
    const CRect thumb = thumbRect(l);
    const int32_t page = std::max(1, visibleRows() - 1);
    if (where.y < thumb.top) scrollTo(top_ - page);
    if (where.y >= thumb.bottom) scrollTo(top_ + page);
  } else if (l.ok.pointInside(where)) {
    accept();
  } else if (l.cancel.pointInside(where)) {
    cancel();
  } else if (l.name.pointInside(where)) {
    selected_ = -1;
    setDirty(true);
  } else {
    for (size_t i = 0; i < l.filters.size(); ++i) {
      if (l.filters[i].pointInside(where)) setFilter(static_cast<int32_t>(i));
    }
  }
}

bool CFileBrowser::onKeyDown(const KeyEvent& key) {
  if (state_ != State::kOpen) return false;
  if (request_.save && nameKey(key)) return true;
  const int32_t page = std::max(1, visibleRows() - 1);
  switch (key.virtualKey) {
    case platform::kKeyUp: select(selected_ < 0 ? 0 : selected_ - 1); return true;
    case platform::kKeyDown: select(selected_ + 1); return true;
    case platform::kKeyPageUp: select(std::max(selected_, 0) - page); return true;
    case platform::kKeyPageDown:
    case platform::kKeyNext: select(std::max(selected_, 0) + page); return true;
    case platform::kKeyHome: select(0); return true;
    case platform::kKeyEnd: select(entryCount() - 1); return true;
    case platform::kKeyReturn:
    case platform::kKeyEnter: accept(); return true;
    case platform::kKeyEscape: cancel(); return true;
    case platform::kKeyBack:
      if (!isRootFolder(folder_)) activate(0);  // the parent entry
      return true;
    default: break;
  }
  int32_t character = key.character;
  if (character == 0 && key.virtualKey == platform::kKeySpace) character = ' ';
  if (character < 0x20 || character == 0x7F || (key.modifiers & kTypingModifiers) != 0) return false;
  if (request_.save) {
    field_.insert(static_cast<char32_t>(character));
    editName();
  } else {
    jumpToLetter(static_cast<char32_t>(character));
  }
  return true;
}

}  // namespace tarnwick::gui
