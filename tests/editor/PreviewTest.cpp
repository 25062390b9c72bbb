// The file browser's preview: a selected recording is told to the instrument with its header's facts on the
// info line, Escape stops it; the core's preview voice plays the file's first samples into the output and
// nothing once stopped, and never waits for its reader.
#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/PreviewVoice.h"
#include "gui/CFileBrowser.h"
#include "storage/AudioFileReader.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/plugin/TestSupport.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

TEST_F(EditorFixture, SelectingARecordingInTheBrowserPreviewsItAndEscapeStopsIt) {
  // In a folder of its own, so that its row is in view.
  const fs::path folder = fs::path(::testing::TempDir()) / "tarnwick-preview";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path wav = folder / "take.wav";
  fs::copy_file(writeTestWav("preview-browser.wav", 4410), wav);
  setenv("TARNWICK_FILE_DIALOG", "builtin", 1);
  actions.hostSelector = false;
  openEditor();
  click(46, 45);  // Load Audio
  auto* browser = dynamic_cast<gui::CFileBrowser*>(editor->getFrame()->getModalView());
  ASSERT_NE(browser, nullptr);
  browser->openFolder(wav.parent_path().string());
  EXPECT_TRUE(actions.previews.empty());  // the browser's own highlight plays nothing
  int32_t row = -1;
  for (int32_t i = 0; i < browser->entryCount(); ++i)
    if (browser->entry(i).name == wav.filename().string()) row = i;
  ASSERT_GE(row, 0);
  const gui::CRect r = browser->rowRect(row);
  ASSERT_FALSE(r.isEmpty());
  click(r.left + 4, r.top + 2);
  ASSERT_EQ(actions.previews.size(), 1u);
  EXPECT_EQ(actions.previews[0], wav.string());
  EXPECT_EQ(browser->info(), "0.100 s  44100 Hz  stereo  16 bit");
  window->queueKey(0, platform::kKeyEscape);
  idle(2);
  EXPECT_EQ(editor->getFrame()->getModalView(), nullptr);
  ASSERT_EQ(actions.previews.size(), 2u);
  EXPECT_EQ(actions.previews[1], "");
  EXPECT_TRUE(actions.calls.empty());  // nothing was loaded
  editor->close();
  unsetenv("TARNWICK_FILE_DIALOG");
}

TEST(PreviewVoice, PlaysTheFilesFirstSamplesAndNothingOnceStopped) {
  const std::string wav = writeTestWav("preview-voice.wav", 3000);
  ChannelPair expected;
  ASSERT_EQ(readAudioFile(wav.c_str(), expected), kStorageOk);
  PreviewVoice voice;
  std::vector<float> left(256, 0.0f), right(256, 0.0f);
  voice.mix(left.data(), right.data(), 256);  // nothing started: silence, at once
  EXPECT_EQ(*std::max_element(left.begin(), left.end()), 0.0f);

  voice.start(wav, 44100.0f);
  for (int i = 0; i < 200000 && voice.framesQueued() < 256 && !voice.readerDone(); ++i) std::this_thread::yield();
  ASSERT_GE(voice.framesQueued(), 256u);
  voice.mix(left.data(), right.data(), 256);
  for (int n = 0; n < 256; ++n) {
    ASSERT_FLOAT_EQ(left[n], expected.left[n]) << n;
    ASSERT_FLOAT_EQ(right[n], expected.right[n]) << n;
  }
  voice.stop();
  std::fill(left.begin(), left.end(), 0.0f);
  voice.mix(left.data(), right.data(), 256);
  EXPECT_EQ(*std::max_element(left.begin(), left.end()), 0.0f);
  EXPECT_EQ(*std::min_element(left.begin(), left.end()), 0.0f);

  // A new start plays from the beginning again, nothing of the run before.
  voice.start(wav, 44100.0f);
  // The ring still held the first run's frames: blocks (of no frames here) empty it before the reader fills it.
  for (int i = 0; i < 200000 && voice.framesQueued() < 64 && !voice.readerDone(); ++i) {
    voice.mix(left.data(), right.data(), 0);
    std::this_thread::yield();
  }
  std::fill(left.begin(), left.end(), 0.0f);
  voice.mix(left.data(), right.data(), 64);
  EXPECT_FLOAT_EQ(left[10], expected.left[10]);
}

}  // namespace
}  // namespace tarnwick::test
