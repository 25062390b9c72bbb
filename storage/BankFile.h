// Bank files (".vlb"): a small header, the state record and one wave record with the raw samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "engine/AudioBuffer.h"
#include "storage/ChunkRecord.h"
#include "storage/StorageResult.h"

namespace tarnwick {

// Layout: "VLB ", int16 4, int16 10, int32 1, int32 wave-record count, "PROG", the record,
// then "WAVE", int32 N, N left floats, N right floats; all little-endian.
inline constexpr size_t kBankHeaderBytes = 20;
inline constexpr size_t kBankRecordOffset = kBankHeaderBytes;
inline constexpr size_t kBankWaveOffset = kBankRecordOffset + kChunkSize;  // 38188
inline constexpr size_t kBankSamplesOffset = kBankWaveOffset + 8;          // 38196
inline constexpr int16_t kBankRevision = 4;  // the record's chunkRevision and chunkVersion, swapped
inline constexpr int16_t kBankVersion = 10;

// Size of the file a bank of frames samples per channel is written as.
constexpr uint64_t bankFileSize(int32_t frames) {
  return kBankSamplesOffset + 8 * static_cast<uint64_t>(frames < 0 ? 0 : frames);
}

// What a save to a path would replace.
enum class SaveTarget {
  kNew,       // nothing yet: a new file is made (also at the end of a dangling symbolic link)
  kExisting,  // a regular file, reached through any symbolic links
  kRefused,   // something a bank must not replace: a folder, a device, a FIFO, a socket, a link loop
};
// [ui-thread] Follows symbolic links without opening anything; target receives the file a save writes.
SaveTarget inspectSaveTarget(const char* path, std::filesystem::path& target) noexcept;

// [ui-thread] Writes a bank: the record (kChunkSize bytes) and frames samples of each channel.
// The file is written beside the target under a temporary name, put on the disk, and renamed over the
// target only once it is complete, so a failed save leaves the previous file as it was and no partial
// file behind. A symbolic link is written through (the file it names is replaced or made). Returns 0;
// 2 when the target is refused (inspectSaveTarget) or the file cannot be created or put in place; 26
// when a write fails; 40 without a record.
StorageResult writeBankFile(const char* path, const uint8_t* record, const float* left, const float* right,
                            int32_t frames) noexcept;

// The record inside a bank, hardened as a host chunk is (clamped rows and keys, non-finite floats
// as 0.0, an unterminated or too long path flagged); its own version fields are not checked.
// False unless size is kChunkSize.
bool parseBankRecord(const uint8_t* record, size_t size, ChunkImage& image) noexcept;

// Reads a bank in the order a load needs it: the header, the record, then (if the caller still
// wants them) the samples. Nothing is allocated on a size the file has not been checked to hold.
class BankReader {
 public:
  BankReader() = default;
  ~BankReader() { close(); }
  BankReader(const BankReader&) = delete;
  BankReader& operator=(const BankReader&) = delete;

  // Opens path and checks the header: 23 cannot open, 20 wrong magic or a negative wave-record
  // count, 22 header values not 4 and 10 (also a header cut short).
  StorageResult open(const char* path) noexcept;

  // The state record: 26 when the file ends inside it, 40 when no room for it.
  StorageResult readRecord(ChunkImage& image) noexcept;

  // True when the header announces wave records (the first one is read; later ones are ignored).
  bool carriesAudio() const { return waveRecords_ > 0; }

  // The first wave record into fresh arrays of N + 1 floats, the guard sample set to frame 0
  // (an empty pair for N = 0): 21 when its tag is not "WAVE", 26 when N is negative, more than the
  // rest of the file holds, or the read comes up short, 40 when the arrays cannot be allocated.
  StorageResult readSamples(ChannelPair& out) noexcept;

  void close() noexcept;

 private:
  bool readExactly(void* destination, size_t count) noexcept;

  std::FILE* file_ = nullptr;
  uint64_t fileSize_ = 0;
  uint64_t position_ = 0;
  int32_t waveRecords_ = 0;
};

}  // namespace tarnwick
