// Shared helpers for the bank and recent-files tests: fresh folders, file bytes, scripted answers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

namespace tarnwick::test {

namespace fs = std::filesystem;

// An empty folder named after the running test, below the test temp folder.
inline fs::path freshFolder(const std::string& tag = "") {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path folder = fs::path(::testing::TempDir()) / "tarnwick-bank" /
                    (std::string(info->test_suite_name()) + "." + info->name() + tag);
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

inline std::vector<uint8_t> readBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void putI16(std::vector<uint8_t>& b, size_t at, int16_t v) { std::memcpy(&b[at], &v, 2); }
inline void putI32(std::vector<uint8_t>& b, size_t at, int32_t v) { std::memcpy(&b[at], &v, 4); }
inline void putF32(std::vector<uint8_t>& b, size_t at, float v) { std::memcpy(&b[at], &v, 4); }
inline int32_t getI32(const std::vector<uint8_t>& b, size_t at) {
  int32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}

// Message boxes answered from a script; every box shown is recorded as "title|text".
struct ScriptedBoxes {
  static inline std::vector<std::string> shown;
  static inline std::vector<platform::MessageBoxAnswer> answers;  // taken in order; then No/OK

  static platform::MessageBoxAnswer answer(const char* title, const char* text, platform::MessageBoxButtons buttons) {
    shown.push_back(std::string(title) + "|" + text);
    if (!answers.empty()) {
      const auto next = answers.front();
      answers.erase(answers.begin());
      return next;
    }
    return buttons == platform::MessageBoxButtons::kOk ? platform::MessageBoxAnswer::kOk
                                                       : platform::MessageBoxAnswer::kNo;
  }
  static void install() {
    shown.clear();
    answers.clear();
    platform::setMessageBoxHandler(&ScriptedBoxes::answer);
  }
  static void remove() { platform::setMessageBoxHandler(nullptr); }
};

}  // namespace tarnwick::test
