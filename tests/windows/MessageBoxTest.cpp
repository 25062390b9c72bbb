// TARNWICK_MESSAGE_BOXES=stderr on Windows: the DLL shows no window and reports its boxes on standard
// error; a Yes/No box reported there answers No.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/MessageBox.h"
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
