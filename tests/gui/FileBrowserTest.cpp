// The toolkit's file browser on an offscreen window: listing and filters, mouse, keys from the window and
// from the host, saving, odd names and folders, and what it draws.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "GuiTestSupport.h"

namespace tarnwick::gui {
namespace {

namespace fs = std::filesystem;
using platform::kKeyBack;
using platform::kKeyDown;
using platform::kKeyEnd;
using platform::kKeyEscape;
using platform::kKeyHome;
using platform::kKeyPageDown;
using platform::kKeyReturn;

const std::string kUtf8Name =
    "Gr\xC3\xBC\xC3\x9F"
    "e \xE2\x98\x83.wav";                          // "Grüße ☃.wav"
const std::string kBrokenName = "broken\xFF.wav";  // not UTF-8

class FileBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarnwick-browser-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    for (const char* name : {"a.wav", "B.WAV", "c.aif", "notes.txt", ".hidden.wav"}) touch(root_ + "/" + name);
    touch(root_ + "/" + kUtf8Name);
    touch(root_ + "/" + kBrokenName);
    fs::create_directory(root_ + "/Sub");
    fs::create_directory(root_ + "/zeta");
    fs::create_directory(root_ + "/.git");
    touch(root_ + "/Sub/inner.aif");
  }
  void TearDown() override {
    if (browser_ != nullptr) browser_->forget();
    fs::remove_all(root_);
  }
  static void touch(const std::string& path) { std::ofstream(path) << "x"; }

  // A browser over the whole editor window, as the editor shows it.
  CFileBrowser* open(bool save, std::string fileName = {}, size_t maxEntries = kMaxFolderEntries) {
    FileBrowseRequest request;
    request.maxEntries = maxEntries;
    request.save = save;
    request.title = save ? "Save Bank" : "Load Sample";
    request.filters = {{"Audio Files", {"wav", "aif"}}, {"All Files", {"*"}}};
    request.folder = root_;
    request.fileName = std::move(fileName);
    browser_ = new CFileBrowser(CRect(0, 0, 554, 356), request);
    browser_->remember();  // kept for the test after the frame lets it go
    editor_.getFrame()->addView(browser_);
    editor_.getFrame()->setModalView(browser_);
    editor_.idle();
    return browser_;
  }
  std::vector<std::string> names() const {
    std::vector<std::string> result;
    for (int32_t i = 0; i < browser_->entryCount(); ++i) result.push_back(browser_->entry(i).name);
    return result;
  }
  int32_t indexOf(const std::string& name) const {
    for (int32_t i = 0; i < browser_->entryCount(); ++i) {
      if (browser_->entry(i).name == name) return i;
    }
    return -1;
  }
  void clickRow(int32_t index) {
    const CRect r = browser_->rowRect(index);
    ASSERT_FALSE(r.isEmpty()) << "row " << index << " not shown";
    editor_.click(r.left + 30, r.top + r.height() / 2);
  }
  void clickPart(CFileBrowser::Part part, int32_t index = 0) {
    const CRect r = browser_->partRect(part, index);
    ASSERT_FALSE(r.isEmpty());
    editor_.click(r.left + r.width() / 2, r.top + r.height() / 2);
  }
  void key(int32_t virtualKey, int32_t character = 0) {
    editor_.window().queueKey(character, virtualKey);
    editor_.idle();
  }
  void type(const std::string& ascii) {
    for (char c : ascii) editor_.window().queueKey(c);
    editor_.idle();
  }

  std::string root_;
  test::RecordingHost host_;
  test::TestEditor editor_{&host_};
  CFileBrowser* browser_ = nullptr;
};

TEST_F(FileBrowserTest, ListsFoldersFirstThenMatchingFilesSortedWithoutHiddenOnesAndSwitchesFilters) {
  open(false);
  EXPECT_EQ(browser_->folder(), root_);
  const std::vector<std::string> audio = {"..", "Sub", "zeta", "a.wav", "B.WAV", "broken\xFF.wav", "c.aif", kUtf8Name};
  EXPECT_EQ(names(), audio);
  EXPECT_EQ(browser_->selectedIndex(), 1);  // the first entry below the parent
  EXPECT_GE(editor_.window().focusRequests(), 1);

  clickPart(CFileBrowser::Part::kFilter, 1);
  EXPECT_EQ(browser_->filterIndex(), 1);
  EXPECT_NE(indexOf("notes.txt"), -1);
  EXPECT_EQ(indexOf(".hidden.wav"), -1);
  EXPECT_EQ(indexOf(".git"), -1);

  // Folders that are gone open the nearest one above; a path that is no folder lists as unreadable.
  browser_->openFolder(root_ + "/Sub/gone/deeper");
  EXPECT_EQ(browser_->folder(), root_ + "/Sub");
  const FolderListing file = listFolder(root_ + "/a.wav", nullptr);
  EXPECT_FALSE(file.readable);
  ASSERT_EQ(file.entries.size(), 1u);
  EXPECT_EQ(file.entries[0].kind, FolderEntry::Kind::kParent);
  EXPECT_EQ(startFolder(""), startFolder(getenv("HOME") ? getenv("HOME") : "/"));
  EXPECT_EQ(startFolder("/"), "/");
  EXPECT_NE(listFolder("/", nullptr).entries.front().name, "..");
}

TEST_F(FileBrowserTest, AClickSelectsASecondClickOpensFoldersAndChoosesFiles) {
  open(false);
  const int32_t sub = indexOf("Sub");
  clickRow(indexOf("zeta"));
  EXPECT_EQ(browser_->selectedIndex(), indexOf("zeta"));
  clickRow(sub);
  EXPECT_EQ(browser_->selectedIndex(), sub);
  EXPECT_EQ(browser_->folder(), root_);
  clickRow(sub);
  EXPECT_EQ(browser_->folder(), root_ + "/Sub");
  clickRow(0);  // the parent: selected, then opened; the folder we came from is selected again
  clickRow(0);
  EXPECT_EQ(browser_->folder(), root_);
  EXPECT_EQ(browser_->selectedIndex(), sub);

  const int32_t utf8 = indexOf(kUtf8Name);
  clickRow(utf8);
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kOpen);
  clickRow(utf8);
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kChosen);
  EXPECT_EQ(browser_->path(), root_ + "/" + kUtf8Name);
  // Done: the editor takes it away; keys no longer reach it and the keyboard goes back.
  editor_.getFrame()->removeView(browser_);
  EXPECT_FALSE(editor_.onKeyDown(0, kKeyDown, 0));
}

// The browser highlights a row by itself (the first entry, the folder one came from): a double-click on it
// opens only that row, never what the next listing highlights under the second click.
TEST_F(FileBrowserTest, ADoubleClickOnAHighlightedFolderOpensOnlyThatFolder) {
  open(false);
  const int32_t sub = indexOf("Sub");
  ASSERT_EQ(browser_->selectedIndex(), sub);
  clickRow(sub);
  clickRow(sub);
  EXPECT_EQ(browser_->folder(), root_ + "/Sub");
  EXPECT_EQ(browser_->entry(sub).name, "inner.aif");  // under the pointer now, and highlighted
  EXPECT_EQ(browser_->selectedIndex(), sub);
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kOpen);
  key(kKeyBack);  // up again: the folder one came from is highlighted
  ASSERT_EQ(browser_->folder(), root_);
  ASSERT_EQ(browser_->selectedIndex(), sub);
  clickRow(sub);
  clickRow(sub);
  EXPECT_EQ(browser_->folder(), root_ + "/Sub");
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kOpen);
  clickRow(sub);  // a double-click of its own chooses the file
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kOpen);
  clickRow(sub);
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kChosen);
  EXPECT_EQ(browser_->path(), root_ + "/Sub/inner.aif");
}

TEST_F(FileBrowserTest, KeysFromTheWindowAndFromTheHostNavigateOpenAndChoose) {
  open(false);
  key(kKeyEnd);
  EXPECT_EQ(browser_->selectedIndex(), browser_->entryCount() - 1);
  key(kKeyHome);
  EXPECT_EQ(browser_->selectedIndex(), 0);
  type("z");  // jumps to the next entry starting with that letter
  EXPECT_EQ(browser_->entry(browser_->selectedIndex()).name, "zeta");
  key(kKeyHome);
  EXPECT_TRUE(editor_.onKeyDown(0, kKeyDown, 0));  // the host's effEditKeyDown, as forwarded
  EXPECT_EQ(browser_->entry(browser_->selectedIndex()).name, "Sub");
  key(kKeyReturn);
  EXPECT_EQ(browser_->folder(), root_ + "/Sub");
  key(kKeyBack);
  EXPECT_EQ(browser_->folder(), root_);
  EXPECT_EQ(browser_->entry(browser_->selectedIndex()).name, "Sub");
  // The name that is no UTF-8 selects and is chosen like any other.
  while (browser_->entry(browser_->selectedIndex()).name != kBrokenName) key(kKeyDown);
  key(kKeyReturn);
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kChosen);
  EXPECT_EQ(browser_->path(), root_ + "/" + kBrokenName);
  EXPECT_FALSE(editor_.onKeyDown(0, kKeyDown, 0));  // nothing more to do for it
}

TEST_F(FileBrowserTest, EscapeAndCancelCancel) {
  open(false);
  key(kKeyEscape);
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kCancelled);
  editor_.getFrame()->removeView(browser_);
  browser_->forget();
  open(true);
  clickPart(CFileBrowser::Part::kCancelButton);
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kCancelled);
  EXPECT_TRUE(browser_->path().empty());
}

TEST_F(FileBrowserTest, SavingTakesTheTypedNameInTheCurrentFolder) {
  open(true, "Bank \xC3\x9F");  // "Bank ß"
  EXPECT_EQ(browser_->selectedIndex(), -1);
  key(kKeyBack);  // one character, both bytes of it
  EXPECT_EQ(browser_->typedName(), "Bank ");
  type("one/2");  // kept as typed: a path
  EXPECT_EQ(browser_->typedName(), "Bank one/2");
  clickRow(indexOf("a.wav"));  // choosing a file takes its name
  EXPECT_EQ(browser_->typedName(), "a.wav");
  clickPart(CFileBrowser::Part::kNameField);
  for (int i = 0; i < 5; ++i) key(kKeyBack);
  EXPECT_TRUE(browser_->typedName().empty());
  key(kKeyReturn);  // nothing to save under
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kOpen);
  EXPECT_EQ(browser_->notice(), "Type a name for the file.");
  key(kKeyBack);  // an empty name: nothing happens
  EXPECT_EQ(browser_->folder(), root_);
  browser_->openFolder(root_ + "/Sub");
  editor_.window().queueKey(0x00E9);  // é, typed as a character
  type("t");
  clickPart(CFileBrowser::Part::kOkButton);
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kChosen);
  EXPECT_EQ(browser_->path(), root_ + "/Sub/\xC3\xA9t");
}

// The name is a path, absolute or from the listed folder; what cannot be used is refused with a notice and
// stays as typed. The field edits like one: Ctrl+A selects the name, Home, End, Left and Right move.
TEST_F(FileBrowserTest, TheSaveNameIsAPathAndIsRefusedButNeverAltered) {
  auto ctrlA = [&] {
    editor_.window().queueKey('a', 0, platform::kKeyModifierControl);
    editor_.idle();
  };
  auto reopen = [&](const std::string& proposed) {
    editor_.getFrame()->removeView(browser_);
    browser_->forget();
    open(true, proposed);
  };
  open(true, "live.vlb");
  ctrlA();
  type(root_ + "/Sub/mybank1");
  key(kKeyReturn);
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kChosen);
  EXPECT_EQ(browser_->path(), root_ + "/Sub/mybank1");

  reopen("");
  type("zeta/../Sub/two");
  clickPart(CFileBrowser::Part::kOkButton);
  EXPECT_EQ(browser_->path(), root_ + "/Sub/two");

  reopen("");
  type("nowhere/three");
  key(kKeyReturn);
  EXPECT_EQ(browser_->state(), CFileBrowser::State::kOpen);
  EXPECT_EQ(browser_->notice(), "No such folder: " + root_ + "/nowhere");
  EXPECT_EQ(browser_->typedName(), "nowhere/three");
  test::saveArtefact("file-browser-refused", editor_.window().pixels().data(), 554, 356, 554);
  ctrlA();
  type("Sub/");  // a folder: opened, the name field empties
  key(kKeyReturn);
  EXPECT_EQ(browser_->folder(), root_ + "/Sub");
  EXPECT_EQ(browser_->typedName(), "");
  EXPECT_EQ(browser_->notice(), "");

  type("ac");
  key(platform::kKeyLeft);
  type("b");
  key(kKeyHome);
  editor_.window().queueKey(0x00DF);  // ß, two bytes
  key(kKeyEnd);
  type("y");
  EXPECT_EQ(browser_->typedName(),
            "\xC3\x9F"
            "abcy");
  key(kKeyHome);
  key(platform::kKeyRight);  // over both bytes
  type("-");
  key(kKeyBack);
  key(kKeyBack);
  EXPECT_EQ(browser_->typedName(), "abcy");
  key(kKeyBack);  // at the start: nothing
  EXPECT_EQ(browser_->typedName(), "abcy");
  ctrlA();
  key(kKeyBack);
  EXPECT_EQ(browser_->typedName(), "");
  key(kKeyBack);
  EXPECT_EQ(browser_->folder(), root_ + "/Sub");
}

// Root reads every folder: for a folder it may not read, the file system takes this thread for another user.
struct AsAnotherUser {
  AsAnotherUser() {
    if (geteuid() != 0) return;
    setfsgid(65534);
    setfsuid(65534);
  }
  ~AsAnotherUser() {
    if (geteuid() != 0) return;
    setfsuid(0);
    setfsgid(0);
  }
};

// A folder with more entries than the browser lists: the first ones in the listing's order, and the title
// line says that the list was cut. A folder that may not be read says so rather than that it is empty.
TEST_F(FileBrowserTest, ListsTheFirstEntriesOfALongFolderAndSaysWhatItCouldNotRead) {
  const std::string many = root_ + "/many";
  fs::create_directory(many);
  for (const char* name : {"k.wav", "d.wav", "x.wav", "A.wav", "m.wav", "b.wav", "z.wav", "skip.txt"})
    touch(many + "/" + name);
  for (const char* name : {"Q", "c"}) fs::create_directory(many + "/" + name);
  open(false, {}, 5);
  browser_->openFolder(many);
  editor_.idle();
  EXPECT_EQ(names(), (std::vector<std::string>{"..", "c", "Q", "A.wav", "b.wav", "d.wav"}));
  EXPECT_EQ(browser_->listingNote(), "Only the first 5 of 9 entries are listed.");
  test::saveArtefact("file-browser-cut", editor_.window().pixels().data(), 554, 356, 554);
  EXPECT_EQ(listFolder(many, nullptr, 1).entries.back().name, "c");

  const std::string locked = root_ + "/locked";
  fs::create_directory(locked);
  touch(locked + "/inside.wav");
  fs::permissions(root_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  fs::permissions(locked, fs::perms::none);
  {
    AsAnotherUser other;
    browser_->openFolder(locked);
  }
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(browser_->folder(), locked);
  EXPECT_FALSE(browser_->folderReadable());
  EXPECT_EQ(browser_->entryCount(), 1);
  EXPECT_EQ(browser_->listingNote(), "");
}

TEST_F(FileBrowserTest, DrawsAboveTheEditorAndScrollsLongFolders) {
  for (int i = 0; i < 60; ++i) touch(root_ + "/Sub/take " + std::to_string(100 + i) + ".wav");
  open(false);
  const platform::OffscreenWindow& w = editor_.window();
  EXPECT_EQ(w.pixel(3, 3), 0xFFECECECu);  // the panel covers the window
  const CRect selected = browser_->rowRect(browser_->selectedIndex());
  EXPECT_EQ(w.pixel(selected.right - 2, selected.top + 1), 0xFF3366CCu);
  // Every row with a name has ink, the one that is no UTF-8 too.
  for (const std::string& name : {std::string("a.wav"), kBrokenName, kUtf8Name}) {
    const CRect r = browser_->rowRect(indexOf(name));
    int ink = 0;
    for (int32_t y = r.top; y < r.bottom; ++y)
      for (int32_t x = r.left + 22; x < r.left + 120; ++x) ink += w.pixel(x, y) != 0xFFFFFFFFu;
    EXPECT_GT(ink, 20) << name;
  }
  test::saveArtefact("file-browser", w.pixels().data(), 554, 356, 554);

  browser_->openFolder(root_ + "/Sub");
  editor_.idle();
  const int32_t count = browser_->entryCount();
  ASSERT_EQ(count, 62);
  EXPECT_TRUE(browser_->rowRect(count - 1).isEmpty());
  key(kKeyPageDown);
  key(kKeyPageDown);
  EXPECT_GT(browser_->selectedIndex(), 10);
  EXPECT_FALSE(browser_->rowRect(browser_->selectedIndex()).isEmpty());
  key(kKeyEnd);
  EXPECT_FALSE(browser_->rowRect(count - 1).isEmpty());
  EXPECT_TRUE(browser_->rowRect(0).isEmpty());
  auto firstShown = [&] {
    int32_t i = 0;
    while (i < count && browser_->rowRect(i).isEmpty()) ++i;
    return i;
  };
  const int32_t bottom = firstShown();
  clickPart(CFileBrowser::Part::kScrollUp);
  EXPECT_EQ(firstShown(), bottom - 3);
  EXPECT_TRUE(browser_->rowRect(count - 1).isEmpty());
  const CRect track = browser_->partRect(CFileBrowser::Part::kScrollTrack);
  editor_.click(track.left + 3, track.top + 1);  // above the thumb: a page up
  EXPECT_LT(firstShown(), bottom - 3 - 5);
  editor_.getFrame()->removeView(browser_);
  editor_.idle();
  EXPECT_NE(w.pixel(3, 3), 0xFFECECECu);
}

}  // namespace
}  // namespace tarnwick::gui
