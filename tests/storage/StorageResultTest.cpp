// The status-line texts of the storage result codes.
#include <gtest/gtest.h>

#include <string>

#include "storage/StorageResult.h"

namespace tarnwick {
namespace {

TEST(StorageResultTest, EveryCodeHasItsExactText) {
  const std::pair<StorageResult, std::string> table[] = {
      {1, "File already exists"},
      {2, "Could not open in write mode."},
      {4, "Unknown File Format"},
      {5, "No WAVE chunk found"},
      {6, "No FMT chunk found"},
      {7, "No DATA chunk found"},
      {8, "No PCM Data (maybe compressed audio)"},
      {9, "Only 8/16/24 bit allowed"},
      {10, "Only 44.1k Samplingrate allowed"},
      {11, "Only Mono/Stereo allowed."},
      {12, "No Audiodata found"},
      {15, "No AIFF chunk found"},
      {16, "Cant read AIF-C compressed audio"},
      {17, "No COMM chunk found"},
      {20, "No valid VLB file."},
      {21, "No WAVE chunk found"},
      {22, "Version number does not match"},
      {23, "Could not open file."},
      {24, "Filename too long"},
      {26, "File operation error"},
      {40, " Memory allocation failed"},
  };
  for (const auto& [code, text] : table) {
    EXPECT_EQ(storageResultMessage(code), text) << "code " << code;
  }
}

TEST(StorageResultTest, SuccessAndUnknownCodesHaveNoText) {
  for (StorageResult code : {0, 3, 13, 14, 18, 19, 25, 27, 39, 41, 100, -1}) {
    EXPECT_STREQ(storageResultMessage(code), "") << "code " << code;
  }
}

TEST(StorageResultTest, NamedConstantsCarryTheTableValues) {
  EXPECT_EQ(kStorageOk, 0);
  EXPECT_EQ(kStorageUnknownFormat, 4);
  EXPECT_EQ(kStorageNoAudioData, 12);
  EXPECT_EQ(kStorageAifcCompressed, 16);
  EXPECT_EQ(kStorageCannotOpen, 23);
  EXPECT_EQ(kStorageNameTooLong, 24);
  EXPECT_EQ(kStorageFileError, 26);
  EXPECT_EQ(kStorageOutOfMemory, 40);
}

}  // namespace
}  // namespace tarnwick
