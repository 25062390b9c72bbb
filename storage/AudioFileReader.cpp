// WAV/AIFF reading from a file or a memory image into freshly allocated channel arrays.
#include "storage/AudioFileReader.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

#include "engine/SampleArrays.h"
#include "platform/Paths.h"
#include "storage/AudioHeader.h"
#include "storage/SampleConversion.h"

namespace tarnwick {

namespace {

// Reads through C stdio; seeks in steps so that offsets beyond the range of long still work.
class FileSource final : public ByteSource {
 public:
  FileSource(std::FILE* file, uint64_t size) : file_(file), size_(size) {}

  uint64_t size() const override { return size_; }

  bool readAt(uint64_t offset, uint8_t* destination, size_t count) override {
    if (offset > size_ || count > size_ - offset) return false;
    if (!seekTo(offset)) return false;
    const size_t got = std::fread(destination, 1, count, file_);
    positionKnown_ = got == count;
    position_ = offset + got;
    return got == count;
  }

 private:
  bool seekTo(uint64_t offset) {
    if (positionKnown_ && offset == position_) return true;
    positionKnown_ = false;
    const auto first = long(std::min<uint64_t>(offset, uint64_t(LONG_MAX)));
    if (std::fseek(file_, first, SEEK_SET) != 0) return false;
    for (uint64_t left = offset - uint64_t(first); left > 0;) {
      const auto step = long(std::min<uint64_t>(left, uint64_t(LONG_MAX)));
      if (std::fseek(file_, step, SEEK_CUR) != 0) return false;
      left -= uint64_t(step);
    }
    positionKnown_ = true;
    position_ = offset;
    return true;
  }

  std::FILE* file_;
  uint64_t size_;
  uint64_t position_ = 0;
  bool positionKnown_ = false;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The byte count of the whole frames to convert, or 0 when it or the arrays exceed the address
// space or the int32 frame count.
size_t sampleBytes(const AudioLayout& layout) {
  const uint64_t frameBytes = uint64_t(layout.channels) * uint64_t(bytesPerSample(layout.encoding));
  if (layout.frameCount >= uint64_t(INT32_MAX)) return 0;
  if (layout.frameCount + 1 > SIZE_MAX / sizeof(float)) return 0;
  if (layout.frameCount > SIZE_MAX / frameBytes) return 0;
  return size_t(layout.frameCount * frameBytes);
}

StorageResult allocateChannels(const AudioLayout& layout, ChannelPair& audio) {
  const size_t entries = size_t(layout.frameCount) + 1;
  audio.left = newSampleArray(entries);
  audio.right = newSampleArray(entries);
  if (!audio.left || !audio.right) return kStorageOutOfMemory;
  audio.left[entries - 1] = 0.0f;
  audio.right[entries - 1] = 0.0f;
  audio.frameCount = int32_t(layout.frameCount);
  return kStorageOk;
}

AudioFileInfo infoOf(const AudioLayout& layout) {
  return {layout.sampleRate, layout.channels, layout.bits, isFloatEncoding(layout.encoding)};
}

StorageResult decode(ByteSource& source, ChannelPair& out, size_t blockBytes, AudioFileInfo* info,
                     WorkProgress* progress) {
  AudioLayout layout;
  const StorageResult header = parseAudioHeader(source, layout);
  if (header != kStorageOk) return header;
  const size_t bytes = sampleBytes(layout);
  if (bytes == 0) return kStorageOutOfMemory;

  ChannelPair fresh;
  if (allocateChannels(layout, fresh) != kStorageOk) return kStorageOutOfMemory;
  const auto frames = size_t(layout.frameCount);
  const size_t frameBytes = bytes / frames;
  // A file image in memory is converted where it lies; the header precedes the samples, so the
  // byte before the first sample is readable as the 24-bit conversion needs.
  if (const uint8_t* samples = source.view(layout.dataOffset, bytes)) {
    convertSamples(layout.encoding, layout.channels, samples, frames, fresh.left.get(), fresh.right.get());
    out = std::move(fresh);
    if (info) *info = infoOf(layout);
    return kStorageOk;
  }
  // From a file: whole frames per read, one spare byte in front of the scratch for the same reason.
  const size_t blockFrames = std::clamp<size_t>(blockBytes / frameBytes, 1, frames);
  std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[blockFrames * frameBytes + 1]);
  if (!scratch) return kStorageOutOfMemory;
  for (size_t done = 0; done < frames;) {
    const size_t count = std::min(blockFrames, frames - done);
    if (!source.readAt(layout.dataOffset + uint64_t(done) * frameBytes, scratch.get() + 1, count * frameBytes)) {
      return kStorageFileError;
    }
    convertSamples(layout.encoding, layout.channels, scratch.get() + 1, count, fresh.left.get() + done,
                   fresh.right.get() + done);
    done += count;
    if (progress && done < frames && !progress->advance(done, frames)) return kStorageCancelled;
  }
  out = std::move(fresh);
  if (info) *info = infoOf(layout);
  return kStorageOk;
}

}  // namespace

StorageResult decodeAudioFile(const uint8_t* data, size_t size, ChannelPair& out, AudioFileInfo* info) noexcept {
  MemorySource source(data, size);
  return decode(source, out, 0, info, nullptr);
}

namespace {

// Opens the file at path as a byte source for use; a path that names no readable regular file is
// kStorageCannotOpen, and no exception leaves.
template <typename Use>
StorageResult withFileSource(const char* path, Use use) noexcept {
  if (!path) return kStorageCannotOpen;
  try {
    std::error_code error;
    const std::filesystem::path name = platform::fileSystemPath(path);
    if (!std::filesystem::is_regular_file(name, error)) return kStorageCannotOpen;
    const uint64_t size = std::filesystem::file_size(name, error);
    if (error) return kStorageCannotOpen;
    std::unique_ptr<std::FILE, FileCloser> file(platform::openFile(name, "rb"));
    if (!file) return kStorageCannotOpen;
    FileSource source(file.get(), size);
    return use(source);
  } catch (const std::bad_alloc&) {
    return kStorageOutOfMemory;
  } catch (...) {
    return kStorageFileError;
  }
}

}  // namespace

StorageResult readAudioFile(const char* path, ChannelPair& out, AudioFileInfo* info, WorkProgress* progress) noexcept {
  return readAudioFileInBlocks(path, out, kAudioReadBlockBytes, info, progress);
}

StorageResult readAudioFileInBlocks(const char* path, ChannelPair& out, size_t blockBytes, AudioFileInfo* info,
                                    WorkProgress* progress) noexcept {
  return withFileSource(path, [&](FileSource& source) { return decode(source, out, blockBytes, info, progress); });
}

StorageResult probeAudioFile(const char* path, AudioFileInfo& info, uint64_t& frames) noexcept {
  return withFileSource(path, [&](FileSource& source) {
    AudioLayout layout;
    const StorageResult result = parseAudioHeader(source, layout);
    if (result != kStorageOk) return result;
    info.sampleRate = layout.sampleRate;
    info.channels = layout.channels;
    info.bits = layout.bits;
    info.floatingPoint = isFloatEncoding(layout.encoding);
    frames = layout.frameCount;
    return kStorageOk;
  });
}

}  // namespace tarnwick
