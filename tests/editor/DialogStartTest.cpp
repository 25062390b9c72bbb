// Where the file dialogs start and what they propose, and a dialog of another program while it runs.
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

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

}  // namespace
}  // namespace tarnwick::test
