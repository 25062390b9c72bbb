// What the status line tells about the recording until the next load: a restored session's recording
// that could not be read, a recording converted in memory because its file could not be read again.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/EditorLink.h"
#include "platform/MessageBox.h"
#include "plugin/aPlug.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/plugin/TestSupport.h"

namespace tarnwick::test {
namespace {

struct RecordingNoticeFixture : ::testing::Test {
  std::unique_ptr<aPlug> plug;
  ADEditor* editor = nullptr;

  void SetUp() override {
    platform::setMessageBoxHandler(
        [](const char*, const char*, platform::MessageBoxButtons) { return platform::MessageBoxAnswer::kOk; });
    plug = std::make_unique<aPlug>(&InProcessHost::callback);
    editor = &plug->core().editorLink()->editor();
  }
  void TearDown() override {
    plug.reset();
    platform::setMessageBoxHandler(nullptr);
  }
  void open() {
    ASSERT_TRUE(editor->openOn(std::make_unique<platform::OffscreenWindow>(554, 356)));
    editor->idle();
  }
  // A session that names the recording at path.
  void restore(const std::string& path) {
    void* data = nullptr;
    const int32_t size = plug->getChunk(&data);
    std::vector<uint8_t> chunk(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    std::memset(chunk.data(), 0, 2048);
    std::memcpy(chunk.data(), path.data(), path.size());
    plug->setChunk(chunk.data(), static_cast<intptr_t>(chunk.size()));
  }
  std::string status() const { return editor->controls().status->getText(); }
};

TEST_F(RecordingNoticeFixture, ARestoreWhoseRecordingIsMissingSaysWhereItWasLookedForUntilTheNextLoad) {
  const std::string gone = "/nowhere/in/particular/sessions/take 1.wav";
  const std::string notice = "recording missing - looked for ..." + gone.substr(gone.size() - 37);
  restore(gone);
  open();  // a session restored before the window opens
  EXPECT_EQ(status(), notice);
  EXPECT_EQ(editor->controls().status->getFontColor(), kErrorColour);
  editor->close();
  open();  // and again in every window until the next load
  EXPECT_EQ(status(), notice);

  // The next load ends it, also one the host makes while the window is open.
  const std::string found = writeTestWav("recording-notice.wav", 4410);
  restore(found);
  editor->idle();
  EXPECT_NE(status(), notice);
  EXPECT_NE(status().find("sec audio"), std::string::npos);
  editor->close();
  open();
  EXPECT_EQ(status(), "Tarnwick VSTi V1.0");
}

// A rate change whose file is gone converts the recording in memory and says so.
TEST_F(RecordingNoticeFixture, ARateChangeWithoutTheFileSaysTheRecordingWasConvertedInMemory) {
  const std::string path = writeTestWav("recording-notice-gone.wav", 4410);
  restore(path);
  open();
  std::remove(path.c_str());
  plug->dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  plug->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
  editor->idle();
  EXPECT_EQ(status(), "file not readable - recording converted in memory to 48000 Hz");
  EXPECT_EQ(plug->core().modelState().buffer.frameCount, 4800);
}

}  // namespace
}  // namespace tarnwick::test
