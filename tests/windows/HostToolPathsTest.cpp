// The headless host's commands take UTF-8 paths on Windows, as the plug-in stores them: a render reads
// its MIDI file from and writes its output into a folder whose name no single code page spells.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Paths.h"
#include "tools/host/CommandLine.h"
#include "tools/host/Commands.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

TEST(HostTool, RendersFromAndIntoNonAsciiPaths) {
  const fs::path folder = fs::temp_directory_path() / L"tarnwick-host-\u00e4\u00df\u97f3";
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy_file(platform::fileSystemPath(TARNWICK_BUILT_DEMO_MIDI), folder / L"d\u00e9mo.mid");
  const fs::path output = folder / L"ausgabe-\u00fc.wav";

  std::vector<std::string> arguments = {TARNWICK_PLUGIN_PATH,
                                        "--midi",
                                        platform::utf8FromPath(folder / L"d\u00e9mo.mid"),
                                        "--out",
                                        platform::utf8FromPath(output),
                                        "--format",
                                        "pcm16"};
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  EXPECT_EQ(host::runRender(static_cast<int>(argv.size()), argv.data()), host::kExitDone);
  std::error_code error;
  EXPECT_GT(fs::file_size(output, error), 44u);  // more than the header: the song was written
  fs::remove_all(folder);
}

}  // namespace
}  // namespace tarnwick::test
