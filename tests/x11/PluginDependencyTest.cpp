// What a host needs to load Tarnwick.so: the libraries its ELF dynamic section names (the C library only,
// never X11) and the symbols it exports (the two entries), read with a small ELF64 reader of our own.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tarnwick::test {
namespace {

// The parts of an ELF64 shared object that the dynamic loader reads first.
struct DynamicInfo {
  std::vector<std::string> needed;
  std::set<std::string> exported;  // defined, global or weak, in .dynsym
};

class ElfReader {
 public:
  explicit ElfReader(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  // Null when the file is no little-endian ELF64 or a table lies outside it.
  std::optional<DynamicInfo> read() const {
    if (bytes_.size() < 64 || std::memcmp(bytes_.data(),
                                          "\x7F"
                                          "ELF",
                                          4) != 0)
      return std::nullopt;
    if (bytes_[4] != 2 || bytes_[5] != 1) return std::nullopt;  // ELFCLASS64, ELFDATA2LSB
    const uint64_t sectionTable = u64(0x28);
    const uint16_t entrySize = u16(0x3A), count = u16(0x3C);
    if (entrySize < 64 || !fits(sectionTable, uint64_t{entrySize} * count)) return std::nullopt;
    DynamicInfo info;
    bool sawDynamic = false;
    for (uint16_t i = 0; i < count; ++i) {
      const Section s = section(sectionTable + uint64_t{entrySize} * i);
      if (s.type != kDynamic && s.type != kDynsym) continue;
      if (s.link >= count || !fits(s.offset, s.size)) return std::nullopt;
      const Section strings = section(sectionTable + uint64_t{entrySize} * s.link);
      if (!fits(strings.offset, strings.size)) return std::nullopt;
      if (s.type == kDynamic) {
        sawDynamic = true;
        for (uint64_t at = s.offset; at + 16 <= s.offset + s.size; at += 16) {
          const uint64_t tag = u64(at), value = u64(at + 8);
          if (tag == kNull) break;
          if (tag == kNeeded) info.needed.push_back(text(strings, value));
        }
      } else {
        for (uint64_t at = s.offset + 24; at + 24 <= s.offset + s.size; at += 24) {  // entry 0 is reserved
          const uint8_t binding = bytes_[at + 4] >> 4, kind = bytes_[at + 4] & 0xF;
          const uint16_t sectionIndex = u16(at + 6);
          const bool global = binding == kGlobal || binding == kWeak || binding == kUnique;
          if (!global || sectionIndex == 0 || kind == kSectionSymbol || kind == kFileSymbol) continue;
          info.exported.insert(text(strings, u32(at)));
        }
      }
    }
    if (!sawDynamic) return std::nullopt;
    return info;
  }

 private:
  static constexpr uint32_t kDynsym = 11, kDynamic = 6;
  static constexpr uint64_t kNull = 0, kNeeded = 1;
  static constexpr uint8_t kGlobal = 1, kWeak = 2, kUnique = 10, kSectionSymbol = 3, kFileSymbol = 4;

  struct Section {
    uint32_t type = 0, link = 0;
    uint64_t offset = 0, size = 0;
  };

  bool fits(uint64_t offset, uint64_t size) const { return offset <= bytes_.size() && size <= bytes_.size() - offset; }
  uint64_t le(uint64_t at, int size) const {
    if (!fits(at, static_cast<uint64_t>(size))) return 0;
    uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes_[at + static_cast<uint64_t>(i)];
    return value;
  }
  uint16_t u16(uint64_t at) const { return static_cast<uint16_t>(le(at, 2)); }
  uint32_t u32(uint64_t at) const { return static_cast<uint32_t>(le(at, 4)); }
  uint64_t u64(uint64_t at) const { return le(at, 8); }
  Section section(uint64_t at) const { return {u32(at + 4), u32(at + 40), u64(at + 24), u64(at + 32)}; }
  // A zero-terminated name inside the string table (cut at its end).
  std::string text(const Section& strings, uint64_t offset) const {
    if (offset >= strings.size) return "<bad name offset>";
    std::string name;
    for (uint64_t at = strings.offset + offset; at < strings.offset + strings.size && bytes_[at] != 0; ++at) {
      name.push_back(static_cast<char>(bytes_[at]));
    }
    return name;
  }

  std::vector<uint8_t> bytes_;
};

std::optional<DynamicInfo> dynamicInfoOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return ElfReader(std::move(bytes)).read();
}

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The C library and the parts glibc once shipped apart, plus the loader itself.
bool isCLibrary(const std::string& name) {
  return name == "libc.so.6" || name == "libm.so.6" || name == "libdl.so.2" || name == "libpthread.so.0" ||
         name == "librt.so.1" || startsWith(name, "ld-linux");
}

#if defined(TARNWICK_TEST_SANITIZED)
// Sanitizer builds link the C++ runtime and the sanitizer runtimes dynamically, on purpose.
bool isSanitizerRuntime(const std::string& name) {
  return startsWith(name, "libasan.") || startsWith(name, "libubsan.") || startsWith(name, "libtsan.") ||
         startsWith(name, "libstdc++.") || startsWith(name, "libgcc_s.");
}
#endif

TEST(PluginDependencies, ReaderFindsTheX11LibrariesThisTestLinks) {
  // The test program itself links libX11 (this call keeps it linked): an empty answer from the reader would
  // prove nothing below.
  EXPECT_NE(XDisplayName(nullptr), nullptr);
  const std::optional<DynamicInfo> self = dynamicInfoOf("/proc/self/exe");
  ASSERT_TRUE(self.has_value());
  EXPECT_NE(std::find(self->needed.begin(), self->needed.end(), "libX11.so.6"), self->needed.end());
  EXPECT_NE(std::find(self->needed.begin(), self->needed.end(), "libc.so.6"), self->needed.end());
  EXPECT_TRUE(ElfReader(std::vector<uint8_t>{}).read() == std::nullopt);
  EXPECT_TRUE(ElfReader(std::vector<uint8_t>(200, 0x7F)).read() == std::nullopt);
}

TEST(PluginDependencies, PlugInNeedsNothingBeyondTheCLibrary) {
  const std::optional<DynamicInfo> plugin = dynamicInfoOf(TARNWICK_PLUGIN_PATH);
  ASSERT_TRUE(plugin.has_value()) << TARNWICK_PLUGIN_PATH;
  ASSERT_FALSE(plugin->needed.empty());
  for (const std::string& name : plugin->needed) {
    EXPECT_FALSE(startsWith(name, "libX") || startsWith(name, "libxcb")) << name;
#if defined(TARNWICK_TEST_SANITIZED)
    EXPECT_TRUE(isCLibrary(name) || isSanitizerRuntime(name)) << name;
#else
    EXPECT_TRUE(isCLibrary(name)) << name;
#endif
  }
}

TEST(PluginDependencies, PlugInExportsOnlyItsEntries) {
  const std::optional<DynamicInfo> plugin = dynamicInfoOf(TARNWICK_PLUGIN_PATH);
  ASSERT_TRUE(plugin.has_value()) << TARNWICK_PLUGIN_PATH;
  EXPECT_EQ(plugin->exported, (std::set<std::string>{"VSTPluginMain", "main"}));
}

}  // namespace
}  // namespace tarnwick::test
