// The generator draws the same bytes on every run, and its output is what the plug-in compiled in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::map<std::string, std::string> folderContents(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir)) files[entry.path().filename().string()] = readAll(entry.path());
  return files;
}

int runGenerator(const fs::path& dir) {
  const std::string command = std::string("\"") + TARNWICK_BITMAP_GENERATOR +
                              "\" --fonts \"" TARNWICK_FONT_DIR "\" --source \"" + (dir / "BitmapData.cpp").string() +
                              "\" --png \"" + dir.string() + "\"";
  return std::system(command.c_str());
}

class BitmapGenerator : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("tarnwick-bitmaps-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    fs::remove_all(root);
  }
  void TearDown() override { fs::remove_all(root); }
  fs::path root;
};

TEST_F(BitmapGenerator, TwoRunsWriteIdenticalFiles) {
  ASSERT_EQ(runGenerator(root / "a"), 0);
  ASSERT_EQ(runGenerator(root / "b"), 0);
  const auto a = folderContents(root / "a"), b = folderContents(root / "b");
  ASSERT_EQ(a.size(), b.size());
  EXPECT_GT(a.size(), 37u);  // the source, a PNG per bitmap and the mock-ups
  for (const auto& [name, bytes] : a) {
    ASSERT_TRUE(b.count(name)) << name;
    EXPECT_TRUE(bytes == b.at(name)) << name << " differs between runs";
    EXPECT_FALSE(bytes.empty()) << name;
  }
  EXPECT_TRUE(a.count("mockup.png"));
}

TEST_F(BitmapGenerator, RefusesAMissingFontFolder) {
  const std::string command = std::string("\"") + TARNWICK_BITMAP_GENERATOR + "\" --fonts \"" +
                              (root / "nowhere").string() + "\" --source \"" + (root / "x.cpp").string() +
                              "\" 2>/dev/null";
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_FALSE(fs::exists(root / "x.cpp"));
}

}  // namespace
}  // namespace tarnwick
