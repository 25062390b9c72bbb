// tarnwick-host info: its report on the fake plug-in and its answers to bad arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/host/Commands.h"

namespace {

struct InfoRun {
  int code;
  std::string out;
  std::string err;
};

InfoRun runInfo(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int code = tarnwick::host::runInfo(static_cast<int>(argv.size()), argv.data());
  std::string out = testing::internal::GetCapturedStdout();
  std::string err = testing::internal::GetCapturedStderr();
  return {code, out, err};
}

bool hasLine(const std::string& text, const std::string& line) {
  return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

}  // namespace

TEST(InfoCommand, DescribesThePlugIn) {
  const InfoRun run = runInfo({FAKE_PLUGIN_PATH});
  ASSERT_EQ(run.code, 0) << run.err;
  const std::string& out = run.out;
  EXPECT_TRUE(hasLine(out, "Effect name      FakeSynth")) << out;
  EXPECT_TRUE(hasLine(out, "Vendor           Tarnwick tests")) << out;
  EXPECT_TRUE(hasLine(out, "Product          Fake Synth")) << out;
  EXPECT_TRUE(hasLine(out, "Vendor version   7")) << out;
  EXPECT_TRUE(hasLine(out, "VST version      2400")) << out;
  EXPECT_TRUE(hasLine(out, "Unique ID        'FkSy' (0x466B5379)")) << out;
  EXPECT_TRUE(hasLine(out, "Category         2 (synth)")) << out;
  EXPECT_TRUE(hasLine(out, "  numParams      4")) << out;
  EXPECT_TRUE(hasLine(out, "  flags          0x00000130 (canReplacing programChunks isSynth)")) << out;
  EXPECT_TRUE(hasLine(out, "  output 1   \"Fake Out R\"             flags 0x1 (active)")) << out;
  EXPECT_TRUE(hasLine(out, "  input  1   \"Fake In\"                flags 0x3 (active stereo)")) << out;
  EXPECT_TRUE(hasLine(out, "  \"receiveVstMidiEvent\"      1 (yes)")) << out;
  EXPECT_TRUE(hasLine(out, "  \"sendVstTimeInfo\"         -1 (no)")) << out;
  EXPECT_TRUE(hasLine(out, "  \"Bypass\"                   0 (don't know)")) << out;
  EXPECT_TRUE(hasLine(out, "Program          \"Default\"")) << out;
  EXPECT_TRUE(hasLine(out, "      0  gain       0.500000   0.50         dB")) << out;
  EXPECT_TRUE(hasLine(out, "      3  longnam    0.000000   0.00         ")) << out;
}

TEST(InfoCommand, BadArgumentsAndMissingPlugIns) {
  InfoRun run = runInfo({});
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("see 'tarnwick-host help info'"), std::string::npos) << run.err;
  EXPECT_EQ(runInfo({"a.so", "b.so"}).code, 2);

  run = runInfo({"/nonexistent/plugin.so"});
  EXPECT_EQ(run.code, 4);
  EXPECT_NE(run.err.find("/nonexistent/plugin.so"), std::string::npos) << run.err;
  EXPECT_TRUE(run.out.empty());
}
