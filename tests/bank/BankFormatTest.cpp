// The bank file format on its own: exact layout, sizes, bit-exact samples, atomic replacement and
// every refusal of the reader, including claimed sizes the file cannot hold.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/Paths.h"
#include "storage/BankFile.h"
#include "tests/bank/BankTestSupport.h"
#include "tests/support/AllocationWatch.h"

namespace {

using namespace tarnwick;
using namespace tarnwick::test;

// Paths as the storage layer takes them.
std::string utf8(const fs::path& path) { return platform::utf8FromPath(path); }

std::vector<uint8_t> patternRecord() {
  std::vector<uint8_t> record(kChunkSize);
  for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>((i * 7 + 3) % 251);
  record[0] = 'p';
  record[1] = '\0';
  putI32(record, chunk::kVersion, kChunkVersion);
  putI32(record, chunk::kRevision, kChunkRevision);
  return record;
}

// Samples that a conversion would change: negative zero, a denormal, NaN payloads, infinities.
struct Channels {
  std::vector<float> left, right;
  explicit Channels(int32_t frames) : left(frames), right(frames) {
    for (int32_t i = 0; i < frames; ++i) {
      left[i] = std::sin(0.01f * static_cast<float>(i));
      right[i] = -0.5f + static_cast<float>(i % 97) / 97.0f;
    }
    if (frames >= 4) {
      left[1] = -0.0f;
      left[2] = std::numeric_limits<float>::denorm_min();
      uint32_t payload = 0x7FC12345u;
      std::memcpy(&right[1], &payload, 4);
      right[3] = -std::numeric_limits<float>::infinity();
    }
  }
};

StorageResult save(const fs::path& file, const Channels& c, const std::vector<uint8_t>& record = patternRecord()) {
  return writeBankFile(utf8(file).c_str(), record.data(), c.left.data(), c.right.data(),
                       static_cast<int32_t>(c.left.size()));
}

// A valid bank image of the given frames, for the reader's refusals.
std::vector<uint8_t> bankImage(int32_t frames) {
  const fs::path file = freshFolder("-image") / "image.vlb";
  EXPECT_EQ(save(file, Channels(frames)), kStorageOk);
  return readBytes(file);
}

StorageResult openBytes(BankReader& reader, const fs::path& folder, const std::vector<uint8_t>& bytes) {
  const fs::path file = folder / "in.vlb";
  writeBytes(file, bytes);
  return reader.open(utf8(file).c_str());
}

TEST(BankFormat, LayoutIsExact) {
  const fs::path file = freshFolder() / "layout.vlb";
  const Channels c(3);
  const auto record = patternRecord();
  ASSERT_EQ(save(file, c, record), kStorageOk);
  const auto bytes = readBytes(file);
  ASSERT_EQ(bytes.size(), 38196u + 8 * 3);
  const uint8_t header[] = {'V', 'L', 'B', ' ', 4, 0, 10, 0, 1, 0, 0, 0, 1, 0, 0, 0, 'P', 'R', 'O', 'G'};
  EXPECT_EQ(0, std::memcmp(bytes.data(), header, sizeof header));
  EXPECT_EQ(0, std::memcmp(bytes.data() + 20, record.data(), kChunkSize));
  EXPECT_EQ(0, std::memcmp(bytes.data() + 38188, "WAVE", 4));
  EXPECT_EQ(getI32(bytes, 38192), 3);
  EXPECT_EQ(0, std::memcmp(bytes.data() + 38196, c.left.data(), 12));
  EXPECT_EQ(0, std::memcmp(bytes.data() + 38196 + 12, c.right.data(), 12));
}

TEST(BankFormat, FileSizesFollowTheFrameCount) {
  const fs::path folder = freshFolder();
  ASSERT_EQ(save(folder / "empty.vlb", Channels(0)), kStorageOk);
  EXPECT_EQ(fs::file_size(folder / "empty.vlb"), 38196u);
  EXPECT_EQ(getI32(readBytes(folder / "empty.vlb"), 38192), 0);
  ASSERT_EQ(save(folder / "second.vlb", Channels(44100)), kStorageOk);
  EXPECT_EQ(fs::file_size(folder / "second.vlb"), 390996u);
  EXPECT_EQ(bankFileSize(44100), 390996u);
}

TEST(BankFormat, SamplesComeBackBitForBitWithTheGuardAtFrameZero) {
  const fs::path file = freshFolder() / "trip.vlb";
  const Channels c(44100);
  ASSERT_EQ(save(file, c), kStorageOk);
  BankReader reader;
  ASSERT_EQ(reader.open(utf8(file).c_str()), kStorageOk);
  EXPECT_TRUE(reader.carriesAudio());
  ChunkImage image;
  ASSERT_EQ(reader.readRecord(image), kStorageOk);
  ChannelPair pair;
  ASSERT_EQ(reader.readSamples(pair), kStorageOk);
  ASSERT_EQ(pair.frameCount, 44100);
  EXPECT_EQ(0, std::memcmp(pair.left.get(), c.left.data(), 44100 * 4));
  EXPECT_EQ(0, std::memcmp(pair.right.get(), c.right.data(), 44100 * 4));
  EXPECT_EQ(0, std::memcmp(&pair.left[44100], &pair.left[0], 4));
  EXPECT_EQ(0, std::memcmp(&pair.right[44100], &pair.right[0], 4));
}

TEST(BankFormat, EmptyBankReadsAsNoSamples) {
  const fs::path file = freshFolder() / "empty.vlb";
  ASSERT_EQ(save(file, Channels(0)), kStorageOk);
  BankReader reader;
  ASSERT_EQ(reader.open(utf8(file).c_str()), kStorageOk);
  ChunkImage image;
  ASSERT_EQ(reader.readRecord(image), kStorageOk);
  ChannelPair pair;
  ASSERT_EQ(reader.readSamples(pair), kStorageOk);
  EXPECT_TRUE(pair.empty());
  EXPECT_EQ(pair.frameCount, 0);
}

TEST(BankFormat, WriterRefusalsLeaveNoFile) {
  const fs::path folder = freshFolder();
  const Channels c(10);
  EXPECT_EQ(save(folder / "missing" / "x.vlb", c), kStorageCannotWrite);
  EXPECT_FALSE(fs::exists(folder / "missing"));
  EXPECT_EQ(writeBankFile(utf8(folder / "x.vlb").c_str(), nullptr, c.left.data(), c.right.data(), 10),
            kStorageOutOfMemory);
  EXPECT_EQ(writeBankFile(nullptr, patternRecord().data(), nullptr, nullptr, 0), kStorageCannotWrite);
  fs::create_directory(folder / "adir.vlb");
  EXPECT_EQ(save(folder / "adir.vlb", c), kStorageCannotWrite);
  EXPECT_TRUE(fs::is_directory(folder / "adir.vlb"));
  // Only the directory made above remains: no temporary files, no bank.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// File-size limits, permissions, links, FIFOs and devices are POSIX matters.
#if !defined(_WIN32)
// A write that fails part-way (the file-size limit stands in for a full disk) keeps the old file.
TEST(BankFormat, FailedWriteKeepsThePreviousFileWhole) {
  const fs::path folder = freshFolder();
  const fs::path file = folder / "keep.vlb";
  ASSERT_EQ(save(file, Channels(100)), kStorageOk);
  const auto before = readBytes(file);

  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto* previousHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 100000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const StorageResult result = save(file, Channels(44100));
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(result, kStorageFileError);
  EXPECT_EQ(readBytes(file), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST(BankFormat, ReplacedFileKeepsPermissionsAndLinksAreWrittenThrough) {
  const fs::path folder = freshFolder();
  const fs::path file = folder / "private.vlb";
  ASSERT_EQ(save(file, Channels(1)), kStorageOk);
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(save(file, Channels(2)), kStorageOk);
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::file_size(file), bankFileSize(2));

  fs::create_symlink(file, folder / "link.vlb");
  ASSERT_EQ(save(folder / "link.vlb", Channels(5)), kStorageOk);
  EXPECT_TRUE(fs::is_symlink(folder / "link.vlb"));
  EXPECT_EQ(fs::file_size(file), bankFileSize(5));
}

// What a save would replace is the file system's answer, found without opening anything: a dangling
// link gets its file made, a loop, a FIFO, a device or a folder is refused at once and left as it was.
TEST(BankFormat, SaveTargetsAreJudgedWithoutOpeningThem) {
  const fs::path folder = freshFolder();
  fs::path target;
  const fs::path writeOnly = folder / "write-only.vlb";
  ASSERT_EQ(save(writeOnly, Channels(1)), kStorageOk);
  fs::permissions(writeOnly, fs::perms::owner_write);
  EXPECT_EQ(inspectSaveTarget(writeOnly.c_str(), target), SaveTarget::kExisting);
  EXPECT_EQ(inspectSaveTarget(utf8(folder / "fresh.vlb").c_str(), target), SaveTarget::kNew);

  fs::create_symlink("made-by-save.vlb", folder / "dangling.vlb");
  EXPECT_EQ(inspectSaveTarget(utf8(folder / "dangling.vlb").c_str(), target), SaveTarget::kNew);
  EXPECT_EQ(target, folder / "made-by-save.vlb");
  ASSERT_EQ(save(folder / "dangling.vlb", Channels(3)), kStorageOk);
  EXPECT_TRUE(fs::is_symlink(folder / "dangling.vlb"));
  EXPECT_EQ(fs::file_size(folder / "made-by-save.vlb"), bankFileSize(3));

  fs::create_symlink("loop-b.vlb", folder / "loop-a.vlb");
  fs::create_symlink("loop-a.vlb", folder / "loop-b.vlb");
  ASSERT_EQ(mkfifo(utf8(folder / "fifo.vlb").c_str(), 0600), 0);
  fs::create_symlink("/dev/null", folder / "device.vlb");
  fs::create_directory(folder / "folder.vlb");
  for (const char* name : {"loop-a.vlb", "fifo.vlb", "device.vlb", "folder.vlb"}) {
    SCOPED_TRACE(name);
    const fs::file_type before = fs::symlink_status(folder / name).type();
    EXPECT_EQ(inspectSaveTarget((folder / name).c_str(), target), SaveTarget::kRefused);
    EXPECT_EQ(save(folder / name, Channels(2)), kStorageCannotWrite);
    EXPECT_EQ(fs::symlink_status(folder / name).type(), before);
  }
}
#endif

TEST(BankFormat, HeaderRefusals) {
  const fs::path folder = freshFolder();
  const auto good = bankImage(2);
  BankReader reader;
  EXPECT_EQ(reader.open(utf8(folder / "none.vlb").c_str()), kStorageCannotOpen);
  EXPECT_EQ(reader.open(utf8(folder).c_str()), kStorageCannotOpen);
  EXPECT_EQ(reader.open(nullptr), kStorageCannotOpen);
  EXPECT_EQ(openBytes(reader, folder, {}), kStorageNotBank);
  EXPECT_EQ(openBytes(reader, folder, {'V', 'L', 'B'}), kStorageNotBank);
  auto bytes = good;
  bytes[3] = 'X';
  EXPECT_EQ(openBytes(reader, folder, bytes), kStorageNotBank);
  // Magic, then a header cut short: a version mismatch.
  EXPECT_EQ(openBytes(reader, folder, std::vector<uint8_t>(good.begin(), good.begin() + 19)), kStorageBankVersion);
  bytes = good;
  putI16(bytes, 6, 11);
  EXPECT_EQ(openBytes(reader, folder, bytes), kStorageBankVersion);
  bytes = good;
  putI16(bytes, 4, 10);
  putI16(bytes, 6, 4);
  EXPECT_EQ(openBytes(reader, folder, bytes), kStorageBankVersion);
  bytes = good;
  putI32(bytes, 12, -1);
  EXPECT_EQ(openBytes(reader, folder, bytes), kStorageNotBank);
  // The int32 at 8 and the tag at 16 are not read.
  bytes = good;
  putI32(bytes, 8, -77);
  std::memcpy(&bytes[16], "XXXX", 4);
  EXPECT_EQ(openBytes(reader, folder, bytes), kStorageOk);
}

TEST(BankFormat, WaveRecordCount) {
  const fs::path folder = freshFolder();
  auto bytes = bankImage(4);
  BankReader reader;
  putI32(bytes, 12, 0);
  ASSERT_EQ(openBytes(reader, folder, bytes), kStorageOk);
  EXPECT_FALSE(reader.carriesAudio());
  // Several records: the first is read, whatever follows it.
  putI32(bytes, 12, 3);
  bytes.insert(bytes.end(), 40, 0xEE);
  ASSERT_EQ(openBytes(reader, folder, bytes), kStorageOk);
  EXPECT_TRUE(reader.carriesAudio());
  ChunkImage image;
  ASSERT_EQ(reader.readRecord(image), kStorageOk);
  ChannelPair pair;
  ASSERT_EQ(reader.readSamples(pair), kStorageOk);
  EXPECT_EQ(pair.frameCount, 4);
}

TEST(BankFormat, RecordIsHardenedButItsVersionIsNotChecked) {
  auto record = patternRecord();
  std::memset(record.data(), 0, chunk::kPathBytes);
  std::memcpy(record.data(), "/some/where.wav", 15);
  putI32(record, chunk::kVersion, 11);
  putI32(record, chunk::kRevision, 5);
  putF32(record, chunk::kMainLevl, std::numeric_limits<float>::quiet_NaN());
  putF32(record, chunk::kUnitDura, std::numeric_limits<float>::infinity());
  putI32(record, chunk::kEditRow, 4000);
  putI32(record, chunk::kPlayRow, -3);
  putI32(record, chunk::kLastKey, 200);
  ChunkImage image;
  ASSERT_TRUE(parseBankRecord(record.data(), record.size(), image));
  EXPECT_STREQ(image.path, "/some/where.wav");
  EXPECT_FALSE(image.pathTooLong);
  EXPECT_EQ(image.values.mainLevl, 0.0f);
  EXPECT_EQ(image.values.rows[0].unitDura, 0.0f);
  EXPECT_EQ(image.values.editRow, 128);
  EXPECT_EQ(image.values.playRow, 0);
  EXPECT_EQ(image.values.lastSelectedKey, 127);

  std::memset(record.data(), 'z', 2048);  // no terminator at all
  ASSERT_TRUE(parseBankRecord(record.data(), record.size(), image));
  EXPECT_TRUE(image.pathTooLong);
  EXPECT_FALSE(parseBankRecord(record.data(), record.size() - 1, image));
  EXPECT_FALSE(parseBankRecord(nullptr, kChunkSize, image));
}

TEST(BankFormat, RecordAndSampleRefusals) {
  const fs::path folder = freshFolder();
  const auto good = bankImage(8);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool recordFails;
    StorageResult expected;
  };
  std::vector<Case> cases;
  cases.push_back({"cut inside the record", {good.begin(), good.begin() + 30000}, true, kStorageFileError});
  cases.push_back({"nothing after the record", {good.begin(), good.begin() + 38188}, false, kStorageBankNoWave});
  cases.push_back({"tag cut short", {good.begin(), good.begin() + 38190}, false, kStorageBankNoWave});
  auto wrongTag = good;
  std::memcpy(&wrongTag[38188], "WAVF", 4);
  cases.push_back({"wrong tag", wrongTag, false, kStorageBankNoWave});
  cases.push_back({"no sample count", {good.begin(), good.begin() + 38193}, false, kStorageFileError});
  auto negative = good;
  putI32(negative, 38192, -1);
  cases.push_back({"negative count", negative, false, kStorageFileError});
  auto oneTooMany = good;
  putI32(oneTooMany, 38192, 9);
  cases.push_back({"count beyond the file", oneTooMany, false, kStorageFileError});
  cases.push_back({"cut inside the right channel", {good.begin(), good.end() - 1}, false, kStorageFileError});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BankReader reader;
    ASSERT_EQ(openBytes(reader, folder, c.bytes), kStorageOk);
    ChunkImage image;
    const StorageResult record = reader.readRecord(image);
    if (c.recordFails) {
      EXPECT_EQ(record, c.expected);
      continue;
    }
    ASSERT_EQ(record, kStorageOk);
    ChannelPair pair;
    EXPECT_EQ(reader.readSamples(pair), c.expected);
    EXPECT_TRUE(pair.empty());
  }
}

// A hostile count is refused before anything of its size is allocated.
TEST(BankFormat, ClaimedCountsAreCheckedBeforeAllocating) {
  const fs::path folder = freshFolder();
  auto bytes = bankImage(8);
  for (int32_t claimed : {9, 1 << 20, std::numeric_limits<int32_t>::max()}) {
    putI32(bytes, 38192, claimed);
    BankReader reader;
    ASSERT_EQ(openBytes(reader, folder, bytes), kStorageOk);
    ChunkImage image;
    ASSERT_EQ(reader.readRecord(image), kStorageOk);
    ChannelPair pair;
    AllocationWatch watch;
    EXPECT_EQ(reader.readSamples(pair), kStorageFileError);
    EXPECT_LT(watch.largest(), 4096u) << claimed;
  }
}

TEST(BankFormat, AllocationFailuresGiveCode40) {
  const fs::path file = freshFolder() / "big.vlb";
  ASSERT_EQ(save(file, Channels(44100)), kStorageOk);
  for (int allowed : {0, 1}) {  // the left array refused, or the right one after the left succeeded
    BankReader reader;
    ASSERT_EQ(reader.open(utf8(file).c_str()), kStorageOk);
    ChunkImage image;
    ASSERT_EQ(reader.readRecord(image), kStorageOk);
    ChannelPair pair;
    AllocationWatch watch(100000, allowed);
    EXPECT_EQ(reader.readSamples(pair), kStorageOutOfMemory);
    EXPECT_EQ(watch.refused(), 1);
    EXPECT_TRUE(pair.empty());
  }
  BankReader reader;
  ASSERT_EQ(reader.open(utf8(file).c_str()), kStorageOk);
  ChunkImage image;
  AllocationWatch watch(kChunkSize);
  EXPECT_EQ(reader.readRecord(image), kStorageOutOfMemory);
}

}  // namespace
