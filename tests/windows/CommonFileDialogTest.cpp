// The system's Open and Save dialogs, driven from a second thread: the chosen path comes back as UTF-8,
// a cancel is a cancel, and the process's current folder stays where it was. Needs a display.
#include <gtest/gtest.h>
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/CommonFileDialog.h"
#include "platform/Paths.h"

namespace {

using namespace tarnwick;
namespace fs = std::filesystem;

constexpr char kTitle[] = "Tarnwick dialog test";

// Finds the dialog by its title (polling a bounded number of times), types name, presses OK or Cancel.
void answerDialog(const wchar_t* name, bool accept) {
  HWND dialog = nullptr;
  for (int attempt = 0; attempt < 400 && !dialog; ++attempt) {
    dialog = FindWindowW(nullptr, L"Tarnwick dialog test");
    if (!dialog) Sleep(25);
  }
  if (!dialog) return;
  Sleep(100);  // the dialog finishes its initialisation before it takes commands
  if (name) SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(name));
  if (name) SendMessageW(dialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(name));
  PostMessageW(dialog, WM_COMMAND, accept ? IDOK : IDCANCEL, 0);
}

TEST(CommonFileDialog, ChoosesAsUtf8CancelsAndLeavesTheCurrentFolder) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
  const fs::path folder = fs::temp_directory_path() / L"tarnwick-dialog" / L"B\u00e4nke";
  fs::remove_all(folder.parent_path());
  fs::create_directories(folder);
  const fs::path before = fs::current_path();

  platform::FileDialogRequest request;
  request.save = true;
  request.title = kTitle;
  request.filters = {{"Tarnwick fxBank", {"vlb"}}};
  request.folder = platform::utf8FromPath(folder);
  request.fileName = "x.vlb";
  std::string path;
  std::thread typist(answerDialog, L"\u00df\u97f3.vlb", true);
  const platform::CommonDialogResult saved = platform::runCommonFileDialog(request, nullptr, path);
  typist.join();
  EXPECT_EQ(saved, platform::CommonDialogResult::kChosen);
  EXPECT_EQ(path, platform::utf8FromPath(folder) + "\\\xC3\x9F\xE9\x9F\xB3.vlb");
  EXPECT_EQ(fs::current_path(), before);

  request.save = false;
  std::thread canceller(answerDialog, nullptr, false);
  EXPECT_EQ(platform::runCommonFileDialog(request, nullptr, path), platform::CommonDialogResult::kCancelled);
  canceller.join();
  EXPECT_EQ(fs::current_path(), before);
  fs::remove_all(folder.parent_path());
}

}  // namespace
