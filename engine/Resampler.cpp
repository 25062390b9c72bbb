// The resampler's filter design, its shared tables, and the walk over a recording (edges, body).
#include "engine/Resampler.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <mutex>
#include <new>
#include <numeric>
#include <vector>

#include "engine/ResamplerKernels.h"
#include "engine/SampleArrays.h"

namespace tarnwick {

// One rate pair in lowest terms: output frame n lies at input time n * down / up. Row p holds the
// coefficients for the fraction p / phases of an input frame; the extra last row (fraction 1) lets
// the interpolating filter blend row p with row p + 1 for every p.
struct PolyphaseTable {
  uint32_t inRate = 0;
  uint32_t outRate = 0;
  uint32_t up = 1;
  uint32_t down = 1;
  uint32_t phases = 0;
  int32_t taps = 0;
  std::vector<float> rows;
};

namespace {

constexpr uint32_t kMaxRate = 1u << 20;
constexpr size_t kCachedTables = 8;
constexpr double kPi = 3.14159265358979323846;

// The zeroth-order modified Bessel function of the first kind, by its power series.
double besselI0(double x) {
  double term = 1.0;
  double total = 1.0;
  const double quarterSquare = 0.25 * x * x;
  for (int k = 1; k < 200 && term > total * 1e-17; ++k) {
    term *= quarterSquare / (double(k) * double(k));
    total += term;
  }
  return total;
}

std::shared_ptr<const PolyphaseTable> buildTable(uint32_t inRate, uint32_t outRate) {
  auto table = std::make_shared<PolyphaseTable>();
  const uint32_t common = std::gcd(inRate, outRate);
  table->inRate = inRate;
  table->outRate = outRate;
  table->up = outRate / common;
  table->down = inRate / common;

  // Band edges in cycles per input frame; the cut-off lies halfway through the transition band.
  const double lowerNyquist = 0.5 * double(std::min(inRate, outRate));
  double pass = kResamplePassbandEdge * lowerNyquist / double(inRate);
  const double stop = kResampleStopbandEdge * lowerNyquist / double(inRate);
  // Kaiser's estimates of the window's shape and length for this attenuation and transition width.
  const double attenuation = kResampleAttenuationDb;
  const double beta = 0.1102 * (attenuation - 8.7);
  const double spread = (attenuation - 7.95) / (2.285 * 2.0 * kPi);  // length × transition width
  const double length = std::min(spread / (stop - pass), double(kResampleMaxTaps));
  const auto taps = int32_t((int64_t(std::ceil(length)) + 7) / 8 * 8);
  // A filter cut to the longest allowed keeps its stopband edge and starts its transition earlier.
  if (spread / (stop - pass) > double(taps)) pass = std::max(0.0, stop - spread / double(taps));
  const double cutoff = 0.5 * (pass + stop);
  table->taps = taps;
  // Phase rows within the coefficient budget (a long filter is smooth from row to row).
  const auto budgetRows = uint32_t(std::max<size_t>(kResampleMaxCoefficients / size_t(taps), 2) - 1);
  table->phases = std::min({table->up, kResampleMaxPhases, budgetRows});
  const double half = 0.5 * double(taps);
  const double windowScale = 1.0 / besselI0(beta);

  const size_t rowCount = size_t(table->phases) + 1;
  table->rows.resize(rowCount * size_t(taps));
  std::vector<double> row(static_cast<size_t>(taps));
  for (size_t p = 0; p < rowCount; ++p) {
    // Tap j multiplies input frame whole - half + 1 + j, which lies t = fraction + half - 1 - j
    // input frames before the output instant.
    const double fraction = double(p) / double(table->phases);
    double total = 0.0;
    for (int32_t j = 0; j < taps; ++j) {
      const double t = fraction + half - 1.0 - double(j);
      const double x = t / half;
      double value = 0.0;
      if (x > -1.0 && x < 1.0) {
        const double arg = 2.0 * cutoff * t;
        const double sinc = arg == 0.0 ? 1.0 : std::sin(kPi * arg) / (kPi * arg);
        value = 2.0 * cutoff * sinc * besselI0(beta * std::sqrt(1.0 - x * x)) * windowScale;
      }
      row[size_t(j)] = value;
      total += value;
    }
    // Every row passes a constant exactly, so that no phase adds a ripple of its own at 0 Hz.
    float* out = table->rows.data() + p * size_t(taps);
    for (int32_t j = 0; j < taps; ++j) out[j] = float(row[size_t(j)] / total);
  }
  return table;
}

// Tables are built once per rate pair and kept for the next loads (a few pairs are in use at a time).
std::shared_ptr<const PolyphaseTable> tableFor(uint32_t inRate, uint32_t outRate) {
  static std::mutex mutex;
  static std::vector<std::shared_ptr<const PolyphaseTable>> cache;
  {
    std::lock_guard<std::mutex> lock(mutex);
    for (auto it = cache.begin(); it != cache.end(); ++it) {
      if ((*it)->inRate == inRate && (*it)->outRate == outRate) {
        auto found = *it;
        cache.erase(it);
        cache.push_back(found);  // most recent last
        return found;
      }
    }
  }
  auto built = buildTable(inRate, outRate);  // outside the lock: it takes a while for some pairs
  std::lock_guard<std::mutex> lock(mutex);
  if (cache.size() >= kCachedTables) cache.erase(cache.begin());
  cache.push_back(built);
  return built;
}

}  // namespace

uint32_t conversionRate(double rate) {
  if (!(rate >= double(kConversionRateLowest))) return kConversionRateLowest;  // also not a number
  if (rate >= double(kConversionRateHighest)) return kConversionRateHighest;
  return uint32_t(std::lround(rate));
}

Resampler::Resampler(uint32_t inRate, uint32_t outRate) noexcept : inRate_(inRate), outRate_(outRate) {
  if (inRate == 0 || outRate == 0 || inRate > kMaxRate || outRate > kMaxRate) return;
  if (inRate == outRate) {
    valid_ = true;
    return;
  }
  try {
    table_ = tableFor(inRate, outRate);
    valid_ = true;
  } catch (...) {
    table_.reset();
  }
}

Resampler::~Resampler() = default;

int32_t Resampler::taps() const { return table_ ? table_->taps : 0; }
uint32_t Resampler::phases() const { return table_ ? table_->phases : 0; }
bool Resampler::interpolatesPhases() const { return table_ && table_->phases < table_->up; }

int64_t Resampler::outputFrames(int64_t inputFrames) const {
  if (inputFrames <= 0 || !valid_) return 0;
  const uint64_t scaled = (2 * uint64_t(inputFrames) * outRate_ + inRate_) / (2 * uint64_t(inRate_));
  return std::max<int64_t>(1, int64_t(scaled));
}

void Resampler::process(const float* inL, const float* inR, int64_t frames, float* outL, float* outR) const {
  processWith(resamplekernels::activeKernels(), inL, inR, frames, outL, outR);
}

void Resampler::processWith(const resamplekernels::KernelSet& kernels, const float* inL, const float* inR,
                            int64_t frames, float* outL, float* outR) const {
  processRange(kernels, inL, inR, frames, 0, outputFrames(frames), outL, outR);
}

void Resampler::processRange(const resamplekernels::KernelSet& kernels, const float* inL, const float* inR,
                             int64_t frames, int64_t begin, int64_t end, float* outL, float* outR) const {
  const int64_t total = outputFrames(frames);
  begin = std::max<int64_t>(begin, 0);
  end = std::min(end, total);
  if (begin >= end) return;
  if (!table_) {
    std::copy(inL + begin, inL + end, outL + begin);
    std::copy(inR + begin, inR + end, outR + begin);
    return;
  }
  const PolyphaseTable& t = *table_;
  const int64_t half = t.taps / 2;
  const auto up = int64_t(t.up);
  const auto down = int64_t(t.down);
  // Output frame n reads input frames whole(n) - half + 1 .. whole(n) + half.
  const auto whole = [&](int64_t n) { return n * down / up; };
  const resamplekernels::RunFn kernel = t.phases < t.up ? kernels.interpolated : kernels.exact;

  std::vector<float> padded;
  const auto runSegment = [&](int64_t first, int64_t last) {
    // Only the frames of the range asked for; every output frame depends on the input alone.
    first = std::max(first, begin);
    last = std::min(last, end);
    if (first >= last) return;
    const int64_t lo = whole(first) - half + 1;
    const int64_t hi = whole(last - 1) + half + 1;
    const float* srcL = nullptr;
    const float* srcR = nullptr;
    if (lo >= 0 && hi <= frames) {
      srcL = inL + lo;
      srcR = inR + lo;
    } else {
      // Near the ends: a copy of the reachable input with silence around it.
      const auto span = size_t(hi - lo);
      padded.assign(2 * span, 0.0f);
      const int64_t from = std::max<int64_t>(lo, 0);
      const int64_t to = std::min<int64_t>(hi, frames);
      if (from < to) {
        std::copy(inL + from, inL + to, padded.begin() + (from - lo));
        std::copy(inR + from, inR + to, padded.begin() + int64_t(span) + (from - lo));
      }
      srcL = padded.data();
      srcR = padded.data() + span;
    }
    resamplekernels::Run run{};
    run.rows = t.rows.data();
    run.taps = t.taps;
    run.up = t.up;
    run.tablePhases = t.phases;
    run.stepWhole = t.down / t.up;
    run.stepRest = t.down % t.up;
    run.phase = uint32_t(first * down % up);
    run.srcL = srcL;
    run.srcR = srcR;
    run.outL = outL + first;
    run.outR = outR + first;
    run.count = last - first;
    kernel(run);
  };

  // The head: frames whose first tap lies before the input; the tail: frames whose last tap lies
  // after it. Between them the filter reads the input where it lies.
  const int64_t headEnd = std::min(total, ((half - 1) * up + down - 1) / down);
  const int64_t tailStart =
      std::clamp<int64_t>(frames - half > 0 ? ((frames - half) * up + down - 1) / down : 0, headEnd, total);
  runSegment(0, headEnd);
  runSegment(headEnd, tailStart);
  runSegment(tailStart, total);
}

bool Resampler::convert(const ChannelPair& in, ChannelPair& out, WorkProgress* progress) const noexcept {
  if (!valid_ || in.empty() || in.frameCount <= 0) return false;
  const int64_t total = outputFrames(in.frameCount);
  if (total >= INT32_MAX) return false;
  const auto entries = size_t(total) + 1;
  ChannelPair fresh;
  fresh.left = newSampleArray(entries);
  fresh.right = newSampleArray(entries);
  if (!fresh.left || !fresh.right) return false;
  try {
    if (progress == nullptr) {
      process(in.left.get(), in.right.get(), in.frameCount, fresh.left.get(), fresh.right.get());
    } else {
      const resamplekernels::KernelSet& kernels = resamplekernels::activeKernels();
      for (int64_t done = 0; done < total;) {
        const int64_t next = std::min(total, done + kResampleProgressFrames);
        processRange(kernels, in.left.get(), in.right.get(), in.frameCount, done, next, fresh.left.get(),
                     fresh.right.get());
        done = next;
        if (done < total && !progress->advance(uint64_t(done), uint64_t(total))) return false;
      }
    }
  } catch (...) {
    return false;
  }
  fresh.left[entries - 1] = 0.0f;
  fresh.right[entries - 1] = 0.0f;
  fresh.frameCount = int32_t(total);
  out = std::move(fresh);
  return true;
}

namespace resamplekernels {

#if defined(TARNWICK_RESAMPLE_AVX2)
extern const KernelSet kAvx2Kernels;
#endif

const KernelSet* avx2Kernels() {
#if defined(TARNWICK_RESAMPLE_AVX2) && (defined(__GNUC__) || defined(__clang__))
  // Also checks that the operating system saves the AVX registers.
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("fma") != 0;
  }();
  return available ? &kAvx2Kernels : nullptr;
#else
  return nullptr;
#endif
}

const KernelSet& activeKernels() {
  static const KernelSet& active = avx2Kernels() ? *avx2Kernels() : kBaselineKernels;
  return active;
}

}  // namespace resamplekernels

}  // namespace tarnwick
