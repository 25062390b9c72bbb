// The recent-files list over the registry store: which values are read, the too-long marker,
// additions with their dedupe and order, and the store's refusal to create keys.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

#include "platform/Registry.h"
#include "plugin/aPlug.h"
#include "storage/RecentFiles.h"
#include "tests/bank/BankTestSupport.h"
#include "tests/plugin/TestSupport.h"

namespace {

using namespace tarnwick;
using namespace tarnwick::test;

class Recent : public ::testing::Test {
 protected:
  void SetUp() override {
    hive_ = freshFolder();
    key_ = hive_ / "Software" / "Pemberlo Audio" / "Tarnwick" / "Recent";
    platform::setRegistryRootForTesting(hive_.c_str());
  }
  void TearDown() override { platform::setRegistryRootForTesting(nullptr); }

  void createKey() const { fs::create_directories(key_); }
  void putValue(const std::string& name, const std::string& data) const {
    writeBytes(key_ / name, std::vector<uint8_t>(data.begin(), data.end()));
  }
  void putString(const std::string& name, const std::string& text) const { putValue(name, text + '\0'); }
  std::string valueOf(const std::string& name) const {
    const auto bytes = readBytes(key_ / name);
    return std::string(bytes.begin(), bytes.end());
  }
  std::vector<std::string> valueNames() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(key_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path hive_;
  fs::path key_;
};

TEST_F(Recent, WithoutTheKeyNothingIsReadOrWritten) {
  RecentFiles list;
  list.read();
  for (int i = 0; i < kRecentFileCount; ++i) EXPECT_STREQ(list.entry(i), "");
  EXPECT_TRUE(list.add("/banks/one.vlb"));
  EXPECT_STREQ(list.entry(0), "/banks/one.vlb");
  EXPECT_TRUE(fs::is_empty(hive_));  // the key was not created

  platform::RegistryKey key;
  EXPECT_FALSE(key.open(kRecentFilesKey, platform::RegistryAccess::kRead));
  EXPECT_FALSE(key.open(kRecentFilesKey, platform::RegistryAccess::kWrite));
  EXPECT_TRUE(fs::is_empty(hive_));
}

TEST_F(Recent, ValuesLandInTheEntryTheirNameGives) {
  createKey();
  putString("00", "/banks/zero.vlb");
  putString("05", "/banks/five.vlb");
  RecentFiles list;
  list.read();
  EXPECT_STREQ(list.entry(0), "/banks/zero.vlb");
  EXPECT_STREQ(list.entry(5), "/banks/five.vlb");
  for (int i : {1, 2, 3, 4, 6, 19}) EXPECT_STREQ(list.entry(i), "") << i;
  EXPECT_STREQ(list.entry(-1), "");
  EXPECT_STREQ(list.entry(20), "");
}

TEST_F(Recent, OtherNamesAreIgnored) {
  createKey();
  for (const char* name : {"7", "123", "25", "20", "0a", ":0", "-1"}) putString(name, std::string("/banks/") + name);
  putString("19", "/banks/last.vlb");
  RecentFiles list;
  list.read();
  for (int i = 0; i < 19; ++i) EXPECT_STREQ(list.entry(i), "") << i;
  EXPECT_STREQ(list.entry(19), "/banks/last.vlb");
}

TEST_F(Recent, TooLongDataShowsTheMarker) {
  createKey();
  putValue("01", std::string(1022, 'a') + '\0');  // 1023 bytes
  putValue("02", std::string(1021, 'b') + '\0');  // 1022 bytes
  putValue("03", std::string(1024, 'c'));         // 1024 bytes, no terminator
  putValue("04", std::string(1025, 'd'));         // does not fit the data buffer: skipped
  putValue("06", "no terminator");
  putValue("07", std::string("cut\0after", 9));
  RecentFiles list;
  list.read();
  EXPECT_STREQ(list.entry(1), "< original filename too long >");
  EXPECT_EQ(std::string(list.entry(2)), std::string(1021, 'b'));
  EXPECT_STREQ(list.entry(3), "< original filename too long >");
  EXPECT_STREQ(list.entry(4), "");
  EXPECT_STREQ(list.entry(6), "no terminator");
  EXPECT_STREQ(list.entry(7), "cut");
}

// Only the first 20 values by position are looked at, whatever their names.
TEST_F(Recent, OnlyTheFirstTwentyValuesCount) {
  createKey();
  for (int i = 0; i < 20; ++i)
    putString(std::string("!").append(std::to_string(i)), "junk");  // '!' sorts before digits
  putString("00", "/banks/zero.vlb");
  RecentFiles list;
  list.read();
  EXPECT_STREQ(list.entry(0), "");
}

TEST_F(Recent, EntriesThatAreNotFilesAreSkipped) {
  createKey();
  fs::create_directory(key_ / "03");
  ASSERT_EQ(mkfifo((key_ / "04").c_str(), 0600), 0);  // must not block the read
  putString("05", "/banks/five.vlb");
  RecentFiles list;
  list.read();
  EXPECT_STREQ(list.entry(3), "");
  EXPECT_STREQ(list.entry(4), "");
  EXPECT_STREQ(list.entry(5), "/banks/five.vlb");
}

TEST_F(Recent, AddingPutsNewPathsFirstAndWritesAllTwenty) {
  createKey();
  putString("stray", "left alone");
  RecentFiles list;
  list.read();
  EXPECT_TRUE(list.add("/banks/a.vlb"));
  std::vector<std::string> expected = {"00", "01", "02", "03", "04", "05", "06", "07", "08", "09",   "10",
                                       "11", "12", "13", "14", "15", "16", "17", "18", "19", "stray"};
  EXPECT_EQ(valueNames(), expected);
  EXPECT_EQ(valueOf("00"), std::string("/banks/a.vlb\0", 13));
  EXPECT_EQ(valueOf("01"), std::string(1, '\0'));  // an empty entry is a single zero byte

  for (int i = 0; i < 20; ++i) list.add(("/banks/" + std::to_string(i) + ".vlb").c_str());
  EXPECT_STREQ(list.entry(0), "/banks/19.vlb");
  EXPECT_STREQ(list.entry(19), "/banks/0.vlb");  // "/banks/a.vlb" was the twentieth and is gone
  EXPECT_EQ(valueOf("19"), std::string("/banks/0.vlb\0", 13));

  RecentFiles again;
  again.read();
  for (int i = 0; i < kRecentFileCount; ++i) EXPECT_STREQ(again.entry(i), list.entry(i)) << i;
}

TEST_F(Recent, AddingAKnownPathChangesNothing) {
  createKey();
  putString("00", "/banks/new.vlb");
  putString("01", "/banks/old.vlb");
  RecentFiles list;
  list.read();
  EXPECT_FALSE(list.add("/banks/old.vlb"));
  EXPECT_STREQ(list.entry(0), "/banks/new.vlb");
  EXPECT_STREQ(list.entry(1), "/banks/old.vlb");
  EXPECT_EQ(valueNames(), (std::vector<std::string>{"00", "01"}));  // nothing written
  EXPECT_TRUE(list.add("/banks/OLD.vlb"));                          // case matters
  EXPECT_STREQ(list.entry(0), "/banks/OLD.vlb");
  EXPECT_FALSE(list.add(std::string(1024, 'x').c_str()));
  EXPECT_FALSE(list.add(nullptr));
}

TEST_F(Recent, TheInstanceReadsTheListWhenBuilt) {
  createKey();
  putString("02", "/banks/two.vlb");
  aPlug plug(&InProcessHost::callback);
  EXPECT_STREQ(plug.core().recentFiles().entry(2), "/banks/two.vlb");
  EXPECT_TRUE(plug.core().addRecentFile("/banks/three.vlb"));
  EXPECT_STREQ(plug.core().recentFiles().entry(0), "/banks/three.vlb");
  EXPECT_STREQ(plug.core().recentFiles().entry(3), "/banks/two.vlb");
  EXPECT_EQ(valueOf("03"), std::string("/banks/two.vlb\0", 15));
}

TEST_F(Recent, StoreRefusesNamesThatAreNotValues) {
  createKey();
  platform::RegistryKey key;
  ASSERT_TRUE(key.open(kRecentFilesKey, platform::RegistryAccess::kWrite));
  EXPECT_FALSE(key.setString("", "x"));
  EXPECT_FALSE(key.setString(".hidden", "x"));
  EXPECT_FALSE(key.setString("a/b", "x"));
  EXPECT_FALSE(key.setString(std::string(256, 'n').c_str(), "x"));
  EXPECT_TRUE(key.setString("ok", "x"));
  EXPECT_EQ(valueNames(), std::vector<std::string>{"ok"});

  platform::RegistryKey reader;
  ASSERT_TRUE(reader.open(kRecentFilesKey, platform::RegistryAccess::kRead));
  EXPECT_FALSE(reader.setString("ok", "y"));  // opened for reading
  char name[3];
  uint8_t data[4];
  size_t size = 0;
  EXPECT_EQ(reader.enumValue(0, name, sizeof name, data, sizeof data, size), platform::RegistryFetch::kOk);
  EXPECT_STREQ(name, "ok");
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(reader.enumValue(0, name, 2, data, sizeof data, size), platform::RegistryFetch::kFailed);
  EXPECT_EQ(reader.enumValue(0, name, sizeof name, data, 1, size), platform::RegistryFetch::kFailed);
  EXPECT_EQ(reader.enumValue(1, name, sizeof name, data, sizeof data, size), platform::RegistryFetch::kNoMoreValues);

  // Key paths cannot climb out of the hive.
  EXPECT_FALSE(key.open("Software\\..\\..\\etc", platform::RegistryAccess::kRead));
  EXPECT_FALSE(key.open("Software\\\\Pemberlo Audio", platform::RegistryAccess::kRead));
  EXPECT_FALSE(key.open("", platform::RegistryAccess::kRead));
}

TEST_F(Recent, HiveFollowsTheConfigurationFolder) {
  platform::setRegistryRootForTesting(nullptr);
  const fs::path config = hive_ / "xdg";
  fs::create_directories(config / "Software" / "Pemberlo Audio" / "Tarnwick" / "Recent");
  writeBytes(config / "Software" / "Pemberlo Audio" / "Tarnwick" / "Recent" / "00", {'/', 'x', '.', 'v', 'l', 'b', 0});
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = oldXdg ? oldXdg : "";
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  RecentFiles list;
  list.read();
  if (oldXdg) {
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
  EXPECT_STREQ(list.entry(0), "/x.vlb");
}

}  // namespace
