// Bank file writing (temporary file, then rename) and step-by-step reading with every size checked
// against the file before anything is allocated for it.
#include "storage/BankFile.h"

#include <atomic>
#include <bit>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

#include "engine/SampleArrays.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "storage/ByteCursor.h"
#include "storage/LittleEndian.h"

namespace tarnwick {

namespace {

namespace fs = std::filesystem;

constexpr bool kLittleEndianHost = std::endian::native == std::endian::little;
constexpr size_t kSwapBlockFloats = 16384;

using le::putU16;
using le::putU32;
void putTag(uint8_t* p, const char (&tag)[5]) { std::memcpy(p, tag, 4); }

// Reverses the bytes of a float's bit pattern; only big-endian hosts need it.
template <typename Word>
constexpr Word byteSwap(Word v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

// Floats as little-endian bytes: straight from memory on little-endian hosts, one call per channel.
bool writeSamples(std::FILE* file, const float* samples, size_t count) {
  if (count == 0) return true;
  if constexpr (kLittleEndianHost) {
    return std::fwrite(samples, sizeof(float), count, file) == count;
  } else {
    uint32_t block[kSwapBlockFloats];
    for (size_t done = 0; done < count;) {
      const size_t n = count - done < kSwapBlockFloats ? count - done : kSwapBlockFloats;
      std::memcpy(block, samples + done, n * sizeof(float));
      for (size_t i = 0; i < n; ++i) block[i] = byteSwap(block[i]);
      if (std::fwrite(block, sizeof(float), n, file) != n) return false;
      done += n;
    }
    return true;
  }
}

void fromLittleEndian(float* samples, size_t count) {
  if constexpr (!kLittleEndianHost) {
    for (size_t i = 0; i < count; ++i) {
      uint32_t bits;
      std::memcpy(&bits, samples + i, 4);
      bits = byteSwap(bits);
      std::memcpy(samples + i, &bits, 4);
    }
  } else {
    (void)samples;
    (void)count;
  }
}

// Creates a file that did not exist before in the target's folder, for binary writing.
std::FILE* createTemporary(const fs::path& target, fs::path& temporary) {
  static std::atomic<uint32_t> counter{0};
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const auto clock = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 16; ++attempt) {
    const uint64_t stamp =
        clock ^ (static_cast<uint64_t>(counter.fetch_add(1) + 1) << 40) ^ reinterpret_cast<uintptr_t>(&counter);
    temporary = folder / (".tarnwick-save-" + std::to_string(stamp % 1000000007u) + ".tmp");
    // "x": fails rather than opening a file that is already there.
    if (std::FILE* file = platform::openFile(temporary, "wbx")) return file;
    std::error_code error;
    if (!fs::exists(temporary, error)) return nullptr;  // not a name clash: the folder refuses
  }
  return nullptr;
}

}  // namespace

SaveTarget inspectSaveTarget(const char* path, fs::path& target) noexcept {
  try {
    if (!path || path[0] == '\0') return SaveTarget::kRefused;
    target = platform::fileSystemPath(path);
    // Each link is followed by hand: a dangling one names the file to make, a loop is refused.
    for (int hops = 0; hops < 40; ++hops) {
      std::error_code error;
      const fs::file_status link = fs::symlink_status(target, error);
      if (error || link.type() == fs::file_type::not_found) return SaveTarget::kNew;
      if (link.type() == fs::file_type::regular) return SaveTarget::kExisting;
      if (link.type() != fs::file_type::symlink) return SaveTarget::kRefused;
      const fs::path next = fs::read_symlink(target, error);
      if (error) return SaveTarget::kRefused;
      target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return SaveTarget::kRefused;  // a loop, or a chain too long to be anything else
  } catch (...) {
    return SaveTarget::kRefused;
  }
}

StorageResult writeBankFile(const char* path, const uint8_t* record, const float* left, const float* right,
                            int32_t frames) noexcept {
  if (!path || path[0] == '\0') return kStorageCannotWrite;
  if (!record) return kStorageOutOfMemory;
  if (frames < 0 || (frames > 0 && (!left || !right))) frames = 0;
  try {
    fs::path target;
    const SaveTarget kind = inspectSaveTarget(path, target);
    if (kind == SaveTarget::kRefused) return kStorageCannotWrite;
    std::unique_ptr<uint8_t[]> head(new (std::nothrow) uint8_t[kBankSamplesOffset]);
    if (!head) return kStorageOutOfMemory;
    uint8_t* p = head.get();
    putTag(p, "VLB ");
    putU16(p + 4, static_cast<uint16_t>(kBankRevision));
    putU16(p + 6, static_cast<uint16_t>(kBankVersion));
    putU32(p + 8, 1);
    putU32(p + 12, 1);  // one wave record follows
    putTag(p + 16, "PROG");
    std::memcpy(p + kBankRecordOffset, record, kChunkSize);
    putTag(p + kBankWaveOffset, "WAVE");
    putU32(p + kBankWaveOffset + 4, static_cast<uint32_t>(frames));

    // An existing file that may not be written stays protected, as it would against a plain open for
    // writing; "ab" checks that without touching its content (it is a regular file, so this cannot block).
    std::error_code error;
    if (kind == SaveTarget::kExisting) {
      std::FILE* probe = platform::openFile(target, "ab");
      if (!probe) return kStorageCannotWrite;
      std::fclose(probe);
    }
    fs::path temporary;
    std::FILE* file = createTemporary(target, temporary);
    if (!file) return kStorageCannotWrite;
    const size_t count = static_cast<size_t>(frames);
    bool written = std::fwrite(p, 1, kBankSamplesOffset, file) == kBankSamplesOffset;
    written = written && writeSamples(file, left, count) && writeSamples(file, right, count);
    written = written && platform::flushToDisk(file);  // on the disk before it replaces anything
    written = (std::fclose(file) == 0) && written;
    if (!written) {
      fs::remove(temporary, error);
      return kStorageFileError;
    }
    // A replaced file keeps its permissions; a new one gets the usual ones from the process.
    const fs::file_status previous = fs::status(target, error);
    if (!error && fs::exists(previous)) fs::permissions(temporary, previous.permissions(), error);
    fs::rename(temporary, target, error);
    if (error) {
      fs::remove(temporary, error);
      return kStorageCannotWrite;
    }
    platform::flushFolderToDisk(target.has_parent_path() ? target.parent_path() : fs::path("."));
    return kStorageOk;
  } catch (const std::bad_alloc&) {
    return kStorageOutOfMemory;
  } catch (...) {
    return kStorageFileError;
  }
}

bool parseBankRecord(const uint8_t* record, size_t size, ChunkImage& image) noexcept {
  if (!record || size != kChunkSize) return false;
  std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[kChunkSize]);
  if (!copy) return false;
  std::memcpy(copy.get(), record, kChunkSize);
  // A bank's record is taken whatever its own version fields say; the host-chunk parser checks
  // them, so they are set to the values it accepts.
  putU32(copy.get() + chunk::kVersion, static_cast<uint32_t>(kChunkVersion));
  putU32(copy.get() + chunk::kRevision, static_cast<uint32_t>(kChunkRevision));
  return parseChunkRecord(copy.get(), kChunkSize, image);
}

StorageResult BankReader::open(const char* path) noexcept {
  close();
  if (!path) return kStorageCannotOpen;
  try {
    std::error_code error;
    // Only regular files: a FIFO or a device would block or never end.
    const fs::path name = platform::fileSystemPath(path);
    if (!fs::is_regular_file(name, error)) return kStorageCannotOpen;
    fileSize_ = fs::file_size(name, error);
    if (error) return kStorageCannotOpen;
    file_ = platform::openFile(name, "rb");
  } catch (...) {
    return kStorageCannotOpen;
  }
  if (!file_) return kStorageCannotOpen;

  uint8_t header[kBankHeaderBytes];
  if (!readExactly(header, 4)) return kStorageNotBank;
  ByteCursor magic(header, 4);
  uint32_t tag = 0;
  magic.fourcc(tag);
  if (tag != fourcc("VLB ")) return kStorageNotBank;
  if (!readExactly(header + 4, kBankHeaderBytes - 4)) return kStorageBankVersion;
  ByteCursor fields(header + 4, kBankHeaderBytes - 4);
  int16_t revision = 0;
  int16_t version = 0;
  int32_t unused = 0;
  fields.i16le(revision);
  fields.i16le(version);
  fields.i32le(unused);
  fields.i32le(waveRecords_);
  if (revision != kBankRevision || version != kBankVersion) return kStorageBankVersion;
  if (waveRecords_ < 0) return kStorageNotBank;
  return kStorageOk;
}

StorageResult BankReader::readRecord(ChunkImage& image) noexcept {
  if (!file_ || position_ != kBankRecordOffset) return kStorageFileError;
  std::unique_ptr<uint8_t[]> record(new (std::nothrow) uint8_t[kChunkSize]);
  if (!record) return kStorageOutOfMemory;
  if (!readExactly(record.get(), kChunkSize)) return kStorageFileError;
  return parseBankRecord(record.get(), kChunkSize, image) ? kStorageOk : kStorageOutOfMemory;
}

StorageResult BankReader::readSamples(ChannelPair& out) noexcept {
  if (!file_ || position_ != kBankWaveOffset) return kStorageFileError;
  uint8_t head[8];
  if (!readExactly(head, 4)) return kStorageBankNoWave;
  ByteCursor cursor(head, 8);
  uint32_t tag = 0;
  cursor.fourcc(tag);
  if (tag != fourcc("WAVE")) return kStorageBankNoWave;
  int32_t frames = 0;
  if (!readExactly(head + 4, 4) || !cursor.i32le(frames)) return kStorageFileError;
  // The claimed count is checked against what the file can still hold before any allocation.
  const uint64_t rest = fileSize_ > position_ ? fileSize_ - position_ : 0;
  if (frames < 0 || 8 * static_cast<uint64_t>(frames) > rest) return kStorageFileError;
  if (frames == 0) {
    out = ChannelPair{};
    return kStorageOk;
  }
  const size_t count = static_cast<size_t>(frames);
  std::unique_ptr<float[]> left = newSampleArray(count + 1);
  if (!left) return kStorageOutOfMemory;
  std::unique_ptr<float[]> right = newSampleArray(count + 1);
  if (!right) return kStorageOutOfMemory;
  if (!readExactly(left.get(), count * sizeof(float)) || !readExactly(right.get(), count * sizeof(float))) {
    return kStorageFileError;
  }
  fromLittleEndian(left.get(), count);
  fromLittleEndian(right.get(), count);
  left[count] = left[0];  // the guard sample repeats frame 0
  right[count] = right[0];
  out.frameCount = frames;
  out.left = std::move(left);
  out.right = std::move(right);
  return kStorageOk;
}

void BankReader::close() noexcept {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  fileSize_ = 0;
  position_ = 0;
  waveRecords_ = 0;
}

bool BankReader::readExactly(void* destination, size_t count) noexcept {
  if (!file_) return false;
  const size_t got = std::fread(destination, 1, count, file_);
  position_ += got;
  return got == count;
}

}  // namespace tarnwick
