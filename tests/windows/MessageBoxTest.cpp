// TARNWICK_MESSAGE_BOXES=stderr on Windows: the DLL shows no window and reports its boxes on standard
// error; a Yes/No box reported there answers No. The system's boxes (with a display) and the loader.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"
#include "platform/MessageBoxWin32.h"
#include "tools/hostlib/PluginHost.h"

namespace {

TEST(MessageBoxSwitch, TheDllReportsOnStandardErrorAndYesNoAnswersNo) {
  ASSERT_EQ(_putenv_s("TARNWICK_MESSAGE_BOXES", "stderr"), 0);
  std::string error;
  auto host = tarnwick::host::PluginHost::load(TARNWICK_PLUGIN_PATH, &error);
  ASSERT_TRUE(host) << error;
  std::vector<uint8_t> chunk = host->getChunk(false);
  ASSERT_GE(chunk.size(), 2048u);
  const char missing[] = "C:\\nirgends\\Kl\xC3\xA4nge.wav";
  std::memset(chunk.data(), 0, 2048);
  std::memcpy(chunk.data(), missing, sizeof missing);
  ::testing::internal::CaptureStderr();
  host->setChunk(chunk, false);
  const std::string reported = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(reported.find("[Tarnwick VSTi - Error recovering last session]"), std::string::npos) << reported;
  EXPECT_NE(reported.find(missing), std::string::npos) << reported;

  // Nothing presents boxes in this process either: a question goes to standard error and answers No.
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(tarnwick::platform::showMessageBox("Title", "Overwrite?", tarnwick::platform::MessageBoxButtons::kYesNo),
            tarnwick::platform::MessageBoxAnswer::kNo);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[Title]\nOverwrite?\n");
}

}  // namespace

namespace {

// Presses a button of the box with this title once it is up; reports the box's owner.
void pressButton(int button, HWND* owner) {
  HWND box = nullptr;
  for (int attempt = 0; attempt < 400 && !box; ++attempt) {
    box = FindWindowW(nullptr, L"Tarnwick box test");
    if (!box) Sleep(25);
  }
  if (!box) return;
  *owner = GetWindow(box, GW_OWNER);
  PostMessageW(box, WM_COMMAND, button, 0);
}

TEST(SystemMessageBox, AnswersWhatWasPressedAndBelongsToTheEditorsTopLevelWindow) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
  namespace platform = tarnwick::platform;
  // The editor sits in a child of the host's window; the box belongs to the host's top-level window.
  const HWND host =
      CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  const HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 50, 50, host, nullptr, nullptr, nullptr);
  ASSERT_TRUE(host && child);
  platform::setMessageBoxOwner(child);
  HWND owner = nullptr;
  std::thread yes(pressButton, IDYES, &owner);
  EXPECT_EQ(platform::showSystemMessageBox("Tarnwick box test", "Overwrite?", platform::MessageBoxButtons::kYesNo),
            platform::MessageBoxAnswer::kYes);
  yes.join();
  EXPECT_EQ(owner, host);

  // No editor open (a session restored before the window opens): the host's own shown window.
  platform::setMessageBoxOwner(nullptr);
  ShowWindow(host, SW_SHOW);
  std::thread no(pressButton, IDNO, &owner);
  EXPECT_EQ(platform::showSystemMessageBox("Tarnwick box test", "Overwrite?", platform::MessageBoxButtons::kYesNo),
            platform::MessageBoxAnswer::kNo);
  no.join();
  EXPECT_EQ(owner, host);

  // No window of the host at all: a box of its own.
  DestroyWindow(host);
  std::thread ok(pressButton, IDOK, &owner);
  EXPECT_EQ(platform::showSystemMessageBox("Tarnwick box test", "Missing", platform::MessageBoxButtons::kOk),
            platform::MessageBoxAnswer::kOk);
  ok.join();
  EXPECT_EQ(owner, nullptr);
}

TEST(Loader, OpensTheDllFindsItsEntryAndExplainsFailures) {
  tarnwick::platform::DynamicLibrary library;
  EXPECT_FALSE(library.open("C:\\nirgends\\Kl\xC3\xA4nge.dll"));
  EXPECT_FALSE(library.error().empty());
  ASSERT_TRUE(library.open(TARNWICK_PLUGIN_PATH)) << library.error();
  EXPECT_TRUE(tarnwick::platform::DynamicLibrary::isLoaded(TARNWICK_PLUGIN_PATH));
  EXPECT_NE(library.symbol("VSTPluginMain"), nullptr);
  EXPECT_EQ(library.symbol("noSuchEntry"), nullptr);
  EXPECT_FALSE(library.error().empty());
}

}  // namespace
