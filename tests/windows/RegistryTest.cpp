// The Windows registry store: keys are opened, never created; values round-trip as UTF-8 and sit in
// the registry as Unicode; small buffers fail the fetch. Works in a test key of its own below HKCU.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/Registry.h"
#include "storage/RecentFiles.h"

namespace {

using namespace tarnwick;

constexpr wchar_t kTestRoot[] = L"Software\\Tarnwick Tests\\Registry";

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
    platform::setRegistryRootForTesting("Software\\Tarnwick Tests\\Registry");
  }
  void TearDown() override {
    platform::setRegistryRootForTesting(nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
  }
  static std::wstring recentKey() { return std::wstring(kTestRoot) + L"\\Software\\Pemberlo Audio\\Tarnwick\\Recent"; }
  static bool keyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  static void createRecentKey() {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, recentKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
  }
};

TEST_F(Registry, AMissingKeyDoesNotOpenAndIsNeverCreated) {
  platform::RegistryKey key;
  EXPECT_FALSE(key.open(kRecentFilesKey, platform::RegistryAccess::kRead));
  EXPECT_FALSE(key.open(kRecentFilesKey, platform::RegistryAccess::kWrite));
  EXPECT_FALSE(key.open("Software\\\\Pemberlo Audio", platform::RegistryAccess::kRead));  // an empty part
  RecentFiles list;
  EXPECT_TRUE(list.add("C:\\banks\\one.vlb"));  // kept in memory only
  EXPECT_FALSE(keyExists(kTestRoot));
}

TEST_F(Registry, RecentEntriesRoundTripAsUtf8AndAreStoredAsUnicode) {
  createRecentKey();
  const char* path = "C:\\Kl\xC3\xA4nge\\\xC3\x9F\xE9\x9F\xB3.vlb";  // C:\Klänge\ß音.vlb
  RecentFiles list;
  ASSERT_TRUE(list.add("C:\\banks\\one.vlb"));
  ASSERT_TRUE(list.add(path));

  wchar_t stored[64] = {};
  DWORD size = sizeof stored;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, recentKey().c_str(), L"00", RRF_RT_REG_SZ, nullptr, stored, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(stored, L"C:\\Kl\u00e4nge\\\u00df\u97f3.vlb");

  RecentFiles again;
  again.read();
  EXPECT_STREQ(again.entry(0), path);
  EXPECT_STREQ(again.entry(1), "C:\\banks\\one.vlb");
  EXPECT_STREQ(again.entry(2), "");

  // A value an ANSI program stored (Windows-1252 here) reads back as UTF-8.
  if (GetACP() == 1252) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, recentKey().c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    const char ansi[] = "C:\\Kl\xE4nge.vlb";
    RegSetValueExA(key, "05", 0, REG_SZ, reinterpret_cast<const BYTE*>(ansi), sizeof ansi);
    RegCloseKey(key);
    again.read();
    EXPECT_STREQ(again.entry(5), "C:\\Kl\xC3\xA4nge.vlb");
  }
}

TEST_F(Registry, FetchesFailWhenBuffersAreTooSmallAndWritesNeedWriteAccess) {
  createRecentKey();
  platform::RegistryKey writer;
  ASSERT_TRUE(writer.open(kRecentFilesKey, platform::RegistryAccess::kWrite));
  ASSERT_TRUE(writer.setString("00", "\xC3\xA4\xC3\xA4"));  // "ää": 5 bytes in UTF-8 with the terminator
  EXPECT_FALSE(writer.setString("", "x"));

  platform::RegistryKey reader;
  ASSERT_TRUE(reader.open(kRecentFilesKey, platform::RegistryAccess::kRead));
  EXPECT_FALSE(reader.setString("01", "x"));
  char name[8];
  uint8_t data[8];
  size_t size = 0;
  EXPECT_EQ(reader.enumValue(0, name, 2, data, sizeof data, size), platform::RegistryFetch::kFailed);  // "00" needs 3
  EXPECT_EQ(reader.enumValue(0, name, sizeof name, data, 1, size), platform::RegistryFetch::kFailed);  // more data
  EXPECT_EQ(reader.enumValue(0, name, sizeof name, data, 4, size), platform::RegistryFetch::kFailed);
  ASSERT_EQ(reader.enumValue(0, name, sizeof name, data, 5, size), platform::RegistryFetch::kOk);
  EXPECT_STREQ(name, "00");
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(std::memcmp(data, "\xC3\xA4\xC3\xA4", 5), 0);
  EXPECT_EQ(reader.enumValue(1, name, sizeof name, data, sizeof data, size), platform::RegistryFetch::kNoMoreValues);
}

}  // namespace
