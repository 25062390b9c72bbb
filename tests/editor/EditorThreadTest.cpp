// Host automation on one thread while the editor is open and idling on another: the echo table and
// the state hand-over are all they share, so ThreadSanitizer must stay silent and no block is lost.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/EditorLink.h"
#include "editor/ADEditor.h"
#include "platform/OffscreenWindow.h"
#include "plugin/aPlug.h"
#include "tests/plugin/TestSupport.h"

namespace tarnwick::test {
namespace {

std::string gSelectorPath;

// The in-process host, with a file selector that always picks gSelectorPath.
intptr_t VSTCALLBACK selectingHost(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  if (opcode == audioMasterCanDo && ptr && std::string(static_cast<const char*>(ptr)) == "openFileSelector") return 1;
  if (opcode == audioMasterOpenFileSelector) {
    auto* select = static_cast<VstFileSelect*>(ptr);
    std::snprintf(select->returnPath, static_cast<size_t>(select->sizeReturnPath), "%s", gSelectorPath.c_str());
    return 1;
  }
  if (opcode == audioMasterCloseFileSelector) return 1;
  return InProcessHost::callback(e, opcode, index, value, ptr, opt);
}

TEST(EditorThreads, AutomationWhileTheEditorIdles) {
  aPlug plug(selectingHost);
  const std::string wav = writeTestWav("editor-threads.wav", 44100);
  gSelectorPath = wav;
  ASSERT_EQ(plug.core().loadAudioFile(wav.c_str()), 0);
  ADEditor& editor = plug.core().editorLink()->editor();
  auto w = std::make_unique<platform::OffscreenWindow>(554, 356);
  platform::OffscreenWindow* window = w.get();
  ASSERT_TRUE(editor.openOn(std::move(w)));

  std::atomic<bool> stop{false};
  std::thread audio([&] {
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    struct {
      int32_t numEvents = 1;
      intptr_t reserved = 0;
      VstEvent* events[2] = {};
    } list;
    list.events[0] = reinterpret_cast<VstEvent*>(&note);
    std::vector<float> l(256), r(256);
    float* out[2] = {l.data(), r.data()};
    long n = 0;
    while (!stop.load() || n < 100) {
      if (n % 64 == 0) plug.processEvents(reinterpret_cast<const VstEvents*>(&list));
      for (int32_t index = 0; index < 40; ++index) {
        plug.setParameter(index, static_cast<float>((n + index) % 100) / 100.0f);
      }
      plug.getParameter(kPeakLevel);
      plug.processReplacing(nullptr, out, 256);
      ++n;
    }
  });

  // The user drags bars, toggles the edit mode, auditions keys on the wave display and loads the
  // recording through the load dialog meanwhile, for a fixed number of idle calls.
  for (int32_t column = 0; column < 200;) {
    const int32_t x = 20 + 14 * (column++ % 32);
    window->queueMouse(x, 180, 1);
    window->queueMouse(x + 14, 200, 1);
    window->queueMouse(x + 14, 200, 0);
    window->queueMouse(13 + 2 * column, 80, column % 5 == 0 ? 4 : 1);  // a key, or every grain stopped
    window->queueMouse(13 + 2 * column, 80, 0);
    if (column % 16 == 0) {
      window->queueMouse(500, 20, 1);
      window->queueMouse(500, 20, 0);
    }
    if (column % 40 == 0) {
      window->queueMouse(46, 45, 1);  // load audio: the host's selector picks the recording
      window->queueMouse(46, 45, 0);
    }
    editor.idle();
  }
  stop.store(true);
  audio.join();
  editor.idle();
  EXPECT_EQ(plug.core().lostBlocks(), 0u);
  editor.close();
}

}  // namespace
}  // namespace tarnwick::test
