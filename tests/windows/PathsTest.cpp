// Paths with characters beyond ASCII on Windows: a session's recording stored as UTF-8 or in the ANSI
// code page of an older build, a bank saved to and loaded from such a path (also over an older file),
// and folder listings that come back as UTF-8.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/FolderListing.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "plugin/aPlug.h"
#include "tests/plugin/TestSupport.h"

namespace {

using namespace tarnwick;
namespace fs = std::filesystem;

constexpr int32_t kFrames = 3000;
const char kFolderUtf8[] = "Kl\xC3\xA4nge";           // Klänge
const char kFileUtf8[] = "\xC3\x9F\xE9\x9F\xB3.wav";  // ß音.wav

std::vector<std::string> gMessages;
platform::MessageBoxAnswer answerYes(const char* title, const char* text, platform::MessageBoxButtons) {
  gMessages.push_back(std::string(title) + "|" + text);
  return platform::MessageBoxAnswer::kYes;
}

// UTF-8 of a wide path, converted here rather than by the code under test.
std::string toUtf8(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), n, nullptr, nullptr);
  text.resize(static_cast<size_t>(n - 1));
  return text;
}

class Paths : public ::testing::Test {
 protected:
  void SetUp() override {
    gMessages.clear();
    platform::setMessageBoxHandler(answerYes);
    platform::setRegistryRootForTesting("Software\\Tarnwick Tests\\No Hive");  // no recent list
    baseWide_ = fs::temp_directory_path() / L"tarnwick-paths";
    folderWide_ = baseWide_ / L"Kl\u00e4nge";
    wavWide_ = folderWide_ / L"\u00df\u97f3.wav";
    fs::remove_all(baseWide_);
    fs::create_directories(folderWide_);
    base_ = toUtf8(baseWide_.native());
    folder_ = base_ + "\\" + kFolderUtf8;
    wav_ = folder_ + "\\" + kFileUtf8;
    // The fixture WAV is written under an ASCII name and moved to its non-ASCII one.
    fs::rename(fs::path(test::writeTestWav("tarnwick-paths.wav", kFrames)), wavWide_);
  }
  void TearDown() override {
    platform::setMessageBoxHandler(nullptr);
    platform::setRegistryRootForTesting(nullptr);
    fs::remove_all(baseWide_);
  }
  static std::vector<uint8_t> chunkWithPath(aPlug& plug, const std::string& path) {
    void* data = nullptr;
    const int32_t size = plug.getChunk(&data);
    std::vector<uint8_t> chunk(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    std::memset(chunk.data(), 0, 2048);
    std::memcpy(chunk.data(), path.data(), path.size());
    return chunk;
  }

  fs::path baseWide_, folderWide_, wavWide_;
  std::string base_, folder_, wav_;
};

TEST_F(Paths, SessionRecordingLoadsFromUtf8AndFromAnsiBytes) {
  aPlug source(&test::InProcessHost::callback);
  aPlug utf8Session(&test::InProcessHost::callback);
  const auto chunk = chunkWithPath(source, wav_);
  utf8Session.setChunk(chunk.data(), static_cast<intptr_t>(chunk.size()));
  EXPECT_TRUE(gMessages.empty()) << gMessages.front();
  EXPECT_EQ(utf8Session.core().modelState().buffer.frameCount, kFrames);

  // An older build stored the path in the ANSI code page: only names that code page can spell.
  const std::wstring wide = (folderWide_ / L"\u00df.wav").native();
  char ansi[1024];
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi, sizeof ansi, nullptr, &lossy);
  ASSERT_GT(n, 0);
  if (lossy) GTEST_SKIP() << "code page " << GetACP() << " cannot spell the name";
  ASSERT_FALSE(platform::isValidUtf8(ansi, std::strlen(ansi)));
  fs::copy_file(wavWide_, fs::path(wide));
  aPlug ansiSession(&test::InProcessHost::callback);
  const auto ansiChunk = chunkWithPath(source, ansi);
  ansiSession.setChunk(ansiChunk.data(), static_cast<intptr_t>(ansiChunk.size()));
  EXPECT_TRUE(gMessages.empty()) << gMessages.front();
  EXPECT_EQ(ansiSession.core().modelState().buffer.frameCount, kFrames);
}

TEST_F(Paths, BankSavesToAndLoadsFromANonAsciiPathAndReplacesAnOlderFile) {
  aPlug plug(&test::InProcessHost::callback);
  ASSERT_EQ(plug.core().loadAudioFile(wav_.c_str()), 0);
  const std::string bank = folder_ + "\\B\xC3\xA4nke \xE9\x9F\xB3.vlb";  // Bänke 音.vlb
  ASSERT_EQ(plug.core().saveBank(bank.c_str()), 0);
  const fs::path bankFile = folderWide_ / L"B\u00e4nke \u97f3.vlb";
  ASSERT_TRUE(fs::is_regular_file(bankFile));
  const auto firstSize = fs::file_size(bankFile);

  // Saved again over the file (the overwrite question is answered Yes): replaced whole, no temporaries left.
  plug.setParameter(0, 0.25f);
  ASSERT_EQ(plug.core().saveBank(bank.c_str()), 0);
  EXPECT_EQ(gMessages.size(), 1u);
  EXPECT_EQ(fs::file_size(bankFile), firstSize);
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(bankFile.parent_path())) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 2u);  // the recording and the bank

  aPlug other(&test::InProcessHost::callback);
  ASSERT_EQ(other.core().loadBank(bank.c_str()), 0);
  EXPECT_EQ(other.core().modelState().buffer.frameCount, kFrames);
  EXPECT_FLOAT_EQ(other.getParameter(0), 0.25f);
  EXPECT_STREQ(other.core().modelState().program.audioFileName, wav_.c_str());
}

TEST_F(Paths, FolderListingNamesComeBackAsUtf8) {
  const gui::FileFilter wavOnly{"WAVE", {"wav"}};
  const gui::FolderListing inFolder = gui::listFolder(folder_, &wavOnly);
  ASSERT_EQ(inFolder.entries.size(), 2u);
  EXPECT_EQ(inFolder.entries[1].name, kFileUtf8);
  const gui::FolderListing inBase = gui::listFolder(base_, nullptr);
  ASSERT_EQ(inBase.entries.size(), 2u);
  EXPECT_EQ(inBase.entries[1].name, kFolderUtf8);
  EXPECT_EQ(inBase.entries[1].kind, gui::FolderEntry::Kind::kFolder);

  // The browser's path arithmetic knows drives and both separators.
  EXPECT_EQ(gui::startFolder(folder_ + "\\missing\\deeper"), folder_);
  EXPECT_EQ(gui::startFolder(folder_ + "\\"), folder_);
  EXPECT_TRUE(fs::is_directory(platform::fileSystemPath(gui::startFolder("").c_str())));
  EXPECT_EQ(gui::parentFolder(folder_), base_);
  EXPECT_EQ(gui::parentFolder("C:\\Users"), "C:\\");
  EXPECT_EQ(gui::parentFolder("C:\\"), "C:\\");
  EXPECT_TRUE(gui::isRootFolder("C:\\"));
  const gui::FolderListing drive = gui::listFolder("C:\\", nullptr);
  ASSERT_FALSE(drive.entries.empty());
  EXPECT_NE(drive.entries.front().kind, gui::FolderEntry::Kind::kParent);  // a drive has no parent entry
  EXPECT_EQ(gui::joinPath("C:\\", "x.wav"), "C:\\x.wav");
  EXPECT_EQ(gui::joinPath(base_, kFolderUtf8), folder_);

  // A name typed for saving is a path with either separator; what Windows cannot name is refused.
  const gui::SaveName typed = gui::resolveSaveName(base_, std::string(kFolderUtf8) + "\\bank");
  EXPECT_EQ(typed.kind, gui::SaveName::Kind::kFile);
  EXPECT_EQ(typed.path, folder_ + "\\bank");
  EXPECT_EQ(gui::resolveSaveName(base_, std::string(kFolderUtf8) + "/bank").path, folder_ + "\\bank");
  const gui::SaveName up = gui::resolveSaveName(folder_, "..\\");
  EXPECT_EQ(up.kind, gui::SaveName::Kind::kFolder);
  EXPECT_EQ(up.path, base_);
  EXPECT_EQ(gui::resolveSaveName(base_, "what?").kind, gui::SaveName::Kind::kRefused);
}

}  // namespace
