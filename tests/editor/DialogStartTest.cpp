// Where the file dialogs start and what they propose, and a dialog of another program while it runs.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "gui/CFileBrowser.h"
#include "tests/editor/EditorTestSupport.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

// A bank that was never saved has only a name: Save Bank starts in the most recent bank's folder and
// proposes the whole name with the extension (a dialog that selects the name up to its extension must
// not take "V1.0" apart).
TEST_F(EditorFixture, SaveBankStartsInTheMostRecentBanksFolderAndProposesTheWholeName) {
  const fs::path folder = fs::temp_directory_path() / ("tarnwick-save-start-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  setenv("TARNWICK_FILE_DIALOG", "builtin", 1);
  actions.hostSelector = false;
  actions.bank = "Tarnwick VSTi V1.0";
  model.recent[0] = (folder / "older.vlb").string();
  openEditor();
  click(261, 45);
  auto* browser = dynamic_cast<gui::CFileBrowser*>(editor->getFrame()->getModalView());
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(browser->folder(), folder.string());
  EXPECT_EQ(browser->typedName(), "Tarnwick VSTi V1.0.vlb");
  editor->close();
  unsetenv("TARNWICK_FILE_DIALOG");
  fs::remove_all(folder);
}

// The desktop's dialog runs in a program of its own that may take seconds to show: the status line says
// that it is opening, and another click on a dialog button starts no second one.
TEST_F(EditorFixture, ADesktopDialogSaysItIsOpeningAndAnotherClickStartsNoSecondOne) {
  const fs::path dir = fs::temp_directory_path() / ("tarnwick-dialog-start-" + std::to_string(::getpid()));
  fs::create_directories(dir / "bin");
  const fs::path program = dir / "bin" / "zenity";
  std::ofstream(program) << "#!/bin/sh\necho started >> '" << (dir / "starts").string() << "'\nwhile [ ! -e '"
                         << (dir / "answer").string() << "' ]; do /bin/sleep 0.02; done\n/bin/cat '"
                         << (dir / "answer").string() << "'\n";
  fs::permissions(program, fs::perms::owner_all);
  const std::string path = getenv("PATH") ? getenv("PATH") : "";
  const char* shownOn = getenv("DISPLAY");
  const std::string display = shownOn ? shownOn : "";
  setenv("PATH", (dir / "bin").c_str(), 1);
  setenv("DISPLAY", ":97", 1);
  actions.hostSelector = false;
  openEditor();
  const auto starts = [&] {
    std::ifstream in(dir / "starts");
    return static_cast<int>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
  };

  click(46, 45);  // Load Audio
  EXPECT_STREQ(c().status->getText(), "opening the file dialog....");
  for (int i = 0; i < 400 && starts() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  click(46, 45);
  click(261, 45);                                                      // Save Bank
  EXPECT_STREQ(c().status->getText(), "opening the file dialog....");  // no window of its own to raise yet
  std::ofstream(dir / "answer") << "/picked.wav\n";
  for (int i = 0; i < 400 && editor->dialogOpen(); ++i) {
    idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(starts(), 1);
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"audio /picked.wav", "select"}));
  setenv("PATH", path.c_str(), 1);
  if (shownOn)
    setenv("DISPLAY", display.c_str(), 1);
  else
    unsetenv("DISPLAY");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace tarnwick::test
