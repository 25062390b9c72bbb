// Recordings loaded from the editor: read and converted on the instrument's loader while the editor
// idles, installed whole by the idle that finds them finished; a later load, a restored session and the
// instance's end drop a load that runs.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "core/EditorLink.h"
#include "core/RecordingLoader.h"
#include "editor/ADEditor.h"
#include "editor/StatusText.h"
#include "platform/OffscreenWindow.h"
#include "plugin/aPlug.h"
#include "storage/AudioFileReader.h"
#include "tests/plugin/TestSupport.h"

namespace tarnwick::test {
namespace {

// Long enough at 96 kHz that its conversion to 44.1 kHz spans many idles.
const std::string& bigRecording() {
  static const std::string path = writeTestWav("editor-load-big.wav", 96000 * 20, 220.0, 330.0, 96000);
  return path;
}

struct OpenEditor {
  std::unique_ptr<aPlug> plug = std::make_unique<aPlug>(InProcessHost::callback);
  ADEditor& editor = plug->core().editorLink()->editor();
  platform::OffscreenWindow* window = nullptr;

  OpenEditor() {
    auto w = std::make_unique<platform::OffscreenWindow>(554, 356);
    window = w.get();
    editor.openOn(std::move(w));
    editor.idle();
  }
  // A recording dropped on the wave display, delivered by one idle.
  void drop(const std::string& path) {
    platform::FileDrag drag;
    drag.paths.push_back(path);
    window->queueDrop(drag, 278, 90);
    editor.idle();
  }
  // Idles (as a host's event loop does) until the editor's load has ended; the idles that saw it run.
  int idleUntilLoaded() {
    int idles = 0;
    for (int i = 0; i < 100000 && editor.loadingPercent() >= 0; ++i, ++idles) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      editor.idle();
    }
    return idles;
  }
  std::string chunkPath() {
    size_t size = 0;
    return reinterpret_cast<const char*>(plug->core().saveState(size));
  }
};

TEST(EditorLoads, RunWhileTheEditorIdlesAndEndWithTheLinesOfBefore) {
  OpenEditor e;
  e.drop(bigRecording());
  EXPECT_EQ(std::string(e.editor.statusText()).rfind("Loading editor-load-big.wav ... ", 0), 0u)
      << e.editor.statusText();
  EXPECT_GE(e.editor.loadingPercent(), 0);
  EXPECT_EQ(e.chunkPath(), "");  // the session names the recording once it is in place
  EXPECT_GT(e.idleUntilLoaded(), 1);
  EXPECT_EQ(e.chunkPath(), bigRecording());
  EXPECT_EQ(e.plug->core().modelState().buffer.frameCount, 44100 * 20);
  StorageSummary summary;
  e.plug->core().editorLink()->readStorageSummary(summary);
  EXPECT_EQ(e.editor.statusText(), audioLine(summary));

  // A refused file ends with its message; the recording before stays.
  const std::string headerOnly = ::testing::TempDir() + "editor-load-refused.wav";
  std::ofstream(headerOnly, std::ios::binary).write("RIFF\x04\0\0\0WAVE", 12);
  ChannelPair unused;
  const StorageResult refused = readAudioFile(headerOnly.c_str(), unused);
  ASSERT_NE(refused, kStorageOk);
  e.drop(headerOnly);
  e.idleUntilLoaded();
  EXPECT_STREQ(e.editor.statusText(), storageResultMessage(refused));
  EXPECT_EQ(e.chunkPath(), bigRecording());
}

TEST(EditorLoads, TheLaterLoadWinsWhicheverFinishesFirst) {
  const std::string small = writeTestWav("editor-load-small.wav", 4410);
  {
    OpenEditor e;
    e.drop(bigRecording());
    e.drop(small);
    e.idleUntilLoaded();
    EXPECT_EQ(e.chunkPath(), small);
    EXPECT_EQ(e.plug->core().modelState().buffer.frameCount, 4410);
    e.drop(small);
    e.drop(bigRecording());
    e.idleUntilLoaded();
    EXPECT_EQ(e.chunkPath(), bigRecording());
  }
  // The loader alone: the dropped load's result is never handed out, whenever its thread ends it.
  for (bool bigFirst : {true, false}) {
    RecordingLoader loader;
    loader.start(bigFirst ? bigRecording() : small, 44100);
    if (!bigFirst) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    loader.start(bigFirst ? small : bigRecording(), 44100);
    RecordingLoader::Result result;
    for (int i = 0; i < 100000 && !loader.take(result); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(result.path, bigFirst ? small : bigRecording());
    EXPECT_EQ(result.result, kStorageOk);
    EXPECT_FALSE(loader.busy());
    loader.stop();
    EXPECT_FALSE(loader.take(result));
  }
}

TEST(EditorLoads, ASessionRestoredMeanwhileKeepsItsRecording) {
  OpenEditor e;
  const std::string session = writeTestWav("editor-load-session.wav", 8820);
  ASSERT_EQ(e.plug->core().loadAudioFile(session.c_str()), kStorageOk);
  size_t size = 0;
  const uint8_t* record = e.plug->core().saveState(size);
  const std::vector<uint8_t> chunk(record, record + size);
  e.drop(bigRecording());
  e.plug->core().restoreState(chunk.data(), static_cast<int64_t>(chunk.size()));
  e.idleUntilLoaded();
  EXPECT_EQ(e.chunkPath(), session);
  EXPECT_EQ(e.plug->core().modelState().buffer.frameCount, 8820);
  EXPECT_EQ(std::string(e.editor.statusText()).find("Loading"), std::string::npos);
}

TEST(EditorLoads, ClosingTheEditorOrEndingTheInstanceDropsTheLoad) {
  OpenEditor e;
  e.drop(bigRecording());
  e.editor.close();
  EXPECT_EQ(e.editor.loadingPercent(), -1);
  EXPECT_EQ(e.plug->core().pollAudioLoad().phase, RecordingLoadState::Phase::kNone);
  EXPECT_EQ(e.chunkPath(), "");
  // Reopened, a load runs again; the instance goes while it runs.
  auto w = std::make_unique<platform::OffscreenWindow>(554, 356);
  e.window = w.get();
  ASSERT_TRUE(e.editor.openOn(std::move(w)));
  e.drop(bigRecording());
  e.editor.idle();
  e.plug.reset();
}

}  // namespace
}  // namespace tarnwick::test
