// Levels of the rendered audio, the WAV file and the terminal progress bar.
#include "tools/host/RenderOutput.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/Paths.h"
#include "platform/Terminal.h"

namespace tarnwick::host {

LevelStats measureLevels(const std::vector<float>& left, const std::vector<float>& right) {
  LevelStats stats;
  double sumSquares = 0.0;
  int64_t counted = 0;
  for (const std::vector<float>* channel : {&left, &right}) {
    for (float x : *channel) {
      if (!std::isfinite(x)) {
        ++stats.nonFinite;
        continue;
      }
      stats.peak = std::max(stats.peak, static_cast<double>(std::fabs(x)));
      stats.clipped += std::fabs(x) > 1.0f;
      sumSquares += static_cast<double>(x) * x;
      ++counted;
    }
  }
  if (stats.peak > 0.0) stats.peakDb = 20.0 * std::log10(stats.peak);
  if (sumSquares > 0.0 && counted > 0) stats.rmsDb = 10.0 * std::log10(sumSquares / counted);
  return stats;
}

namespace {

// Little-endian fields appended to a byte buffer.
void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFFu));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFFu));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFFu);
  put16(out, v >> 16);
}
void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// Full scale maps to the largest positive integer; the negative end reaches one step further, and both
// ends clip. Rounding is to nearest, so a sample's code depends on its value alone.
int32_t toInteger(float x, int bits) {
  const double top = std::ldexp(1.0, bits - 1);
  const double scaled = std::nearbyint(static_cast<double>(x) * top);
  if (!(scaled < top)) return static_cast<int32_t>(top - 1.0);  // also NaN: no code is "right"; full scale
  if (scaled < -top) return static_cast<int32_t>(-top);
  return static_cast<int32_t>(scaled);
}

// The header: plain PCM for integers; float as WAVE_FORMAT_EXTENSIBLE with the IEEE float sub-format.
std::vector<uint8_t> wavHeader(int sampleRate, WavSampleFormat format, uint64_t dataBytes) {
  const bool isFloat = format == WavSampleFormat::float32;
  const uint32_t bits = format == WavSampleFormat::pcm16 ? 16 : format == WavSampleFormat::pcm24 ? 24 : 32;
  const uint32_t blockAlign = 2 * bits / 8;
  const uint32_t fmtBytes = isFloat ? 40 : 16;
  std::vector<uint8_t> out;
  putTag(out, "RIFF");
  put32(out, static_cast<uint32_t>(4 + 8 + fmtBytes + 8 + dataBytes + (dataBytes & 1)));
  putTag(out, "WAVE");
  putTag(out, "fmt ");
  put32(out, fmtBytes);
  put16(out, isFloat ? 0xFFFEu : 1u);
  put16(out, 2);
  put32(out, static_cast<uint32_t>(sampleRate));
  put32(out, static_cast<uint32_t>(sampleRate) * blockAlign);
  put16(out, blockAlign);
  put16(out, bits);
  if (isFloat) {
    put16(out, 22);          // extension size
    put16(out, bits);        // valid bits per sample
    put32(out, 0x3);         // channel mask: front left, front right
    put32(out, 0x00000003);  // sub-format GUID 00000003-0000-0010-8000-00aa00389b71 (IEEE float)
    put16(out, 0x0000);
    put16(out, 0x0010);
    static const uint8_t kGuidTail[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    out.insert(out.end(), kGuidTail, kGuidTail + 8);
  }
  putTag(out, "data");
  put32(out, static_cast<uint32_t>(dataBytes));
  return out;
}

void appendSample(std::vector<uint8_t>& out, float x, WavSampleFormat format) {
  if (format == WavSampleFormat::float32) {
    uint32_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    put32(out, bits);
    return;
  }
  const int width = format == WavSampleFormat::pcm16 ? 16 : 24;
  const uint32_t code = static_cast<uint32_t>(toInteger(x, width));
  for (int byte = 0; byte < width / 8; ++byte) out.push_back(static_cast<uint8_t>((code >> (8 * byte)) & 0xFFu));
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool writeStereoWav(const std::string& path, const std::vector<float>& left, const std::vector<float>& right,
                    int sampleRate, WavSampleFormat format, std::string* error) {
  const std::size_t frames = std::min(left.size(), right.size());
  const uint64_t bytesPerFrame = format == WavSampleFormat::pcm16 ? 4 : format == WavSampleFormat::pcm24 ? 6 : 8;
  const uint64_t dataBytes = frames * bytesPerFrame;
  if (dataBytes > 0xFFFFFF00u) {
    if (error) *error = "cannot write " + path + ": longer than a WAV file can hold";
    return false;
  }
  std::unique_ptr<std::FILE, FileCloser> file(platform::openFile(path.c_str(), "wb"));
  if (!file) {
    if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  std::vector<uint8_t> bytes = wavHeader(sampleRate, format, dataBytes);
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  constexpr std::size_t kFramesPerWrite = 65536;
  for (std::size_t done = 0; done < frames && ok;) {
    const std::size_t n = std::min(frames - done, kFramesPerWrite);
    bytes.clear();
    for (std::size_t i = done; i < done + n; ++i) {
      appendSample(bytes, left[i], format);
      appendSample(bytes, right[i], format);
    }
    ok = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    done += n;
  }
  if (ok && (dataBytes & 1) != 0) ok = std::fputc(0, file.get()) != EOF;  // chunks are padded to even sizes
  if (!ok && error) *error = "cannot write " + path + ": " + std::strerror(errno);
  if (std::fclose(file.release()) != 0 && ok) {
    ok = false;
    if (error) *error = "cannot finish " + path;
  }
  return ok;
}

bool stderrIsTerminal() { return platform::stderrIsTerminal(); }

void ProgressBar::update(int64_t framesDone, int64_t songFrames, double sampleRate) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  drawn_ = true;
  constexpr int kWidth = 40;
  const double seconds = framesDone / sampleRate;
  if (framesDone <= songFrames && songFrames > 0) {
    const double fraction = static_cast<double>(framesDone) / songFrames;
    const int filled = static_cast<int>(fraction * kWidth);
    std::fprintf(stderr, "\r[%-*s] %3d%% %7.1f s ", kWidth, std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 static_cast<int>(fraction * 100.0), seconds);
  } else {
    std::fprintf(stderr, "\r[%s] tail %7.1f s ", std::string(kWidth, '#').c_str(), seconds);
  }
  std::fflush(stderr);
}

void ProgressBar::finish() {
  if (!enabled_ || !drawn_) return;
  std::fprintf(stderr, "\r%*s\r", 64, "");
  std::fflush(stderr);
}

}  // namespace tarnwick::host
