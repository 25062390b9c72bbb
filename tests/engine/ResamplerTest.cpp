// The resampler measured with sines across the band (flatness, stopband, images) with every
// instruction set, and its ends, lengths and copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "engine/Resampler.h"
#include "engine/ResamplerKernels.h"

namespace tarnwick {
namespace {

std::vector<const resamplekernels::KernelSet*> kernelSets() {
  std::vector<const resamplekernels::KernelSet*> sets{&resamplekernels::kBaselineKernels};
  if (const auto* avx2 = resamplekernels::avx2Kernels()) sets.push_back(avx2);
  return sets;
}

// Least-squares fit of a sine of angular frequency w (radians per frame) to y[from, to): its
// amplitude and the RMS of what is left, as a level relative to amplitude 1.
struct SineFit {
  double amplitude;
  double residual;
};

SineFit fitSine(const std::vector<float>& y, size_t from, size_t to, double w) {
  double ss = 0, cc = 0, sc = 0, ys = 0, yc = 0;
  for (size_t i = from; i < to; ++i) {
    const double s = std::sin(w * double(i)), c = std::cos(w * double(i));
    ss += s * s, cc += c * c, sc += s * c, ys += y[i] * s, yc += y[i] * c;
  }
  const double det = ss * cc - sc * sc;
  const double a = (ys * cc - yc * sc) / det, b = (yc * ss - ys * sc) / det;
  double rest = 0;
  for (size_t i = from; i < to; ++i) {
    const double e = y[i] - a * std::sin(w * double(i)) - b * std::cos(w * double(i));
    rest += e * e;
  }
  return {std::hypot(a, b), std::sqrt(2 * rest / double(to - from))};
}

double dB(double ratio) { return 20 * std::log10(std::max(ratio, 1e-12)); }

// Sines of amplitude 1 at 50 frequencies up to the passband edge, 20 through the transition band
// and (when converting down) 40 between the lower Nyquist frequency and the input's. Passband: the
// largest gain error; stopband: the loudest output of an input above the lower Nyquist frequency;
// images: the loudest output besides the sine itself (aliases, images, rounding).
TEST(ResamplerTest, PassbandStopbandAndImagesWithSines) {
  const uint32_t pairs[][2] = {{44100, 48000}, {48000, 44100}, {96000, 44100}, {22050, 48000}, {47999, 44100}};
  for (const auto* kernels : kernelSets()) {
    for (const auto& [in, out] : pairs) {
      SCOPED_TRACE(std::to_string(in) + " -> " + std::to_string(out) + " " + kernels->name);
      const Resampler resampler(in, out);
      ASSERT_TRUE(resampler.valid());
      const double nyquist = 0.5 * std::min(in, out);
      std::vector<double> frequencies;
      for (int k = 1; k <= 50; ++k) frequencies.push_back(kResamplePassbandEdge * nyquist * k / 50);
      for (int k = 0; k < 20; ++k) frequencies.push_back(nyquist * (0.905 + 0.095 * k / 20));
      if (in > out) {
        for (int k = 0; k < 40; ++k) frequencies.push_back(nyquist + (0.5 * in - nyquist) * (k + 0.5) / 40);
      }
      const auto frames = int64_t(in / 5);
      std::vector<float> x(size_t(frames), 0.0f), y(size_t(resampler.outputFrames(frames))), y2(y.size());
      // The ends ring like any band-limited step; the measurement keeps clear of them.
      const auto edge = size_t(resampler.taps()) * out / in + 8;
      double passband = 0, stopband = -300, images = -300;
      for (double f : frequencies) {
        for (size_t i = 0; i < x.size(); ++i) x[i] = float(std::sin(2 * M_PI * f * double(i) / in + 0.3));
        resampler.processWith(*kernels, x.data(), x.data(), frames, y.data(), y2.data());
        ASSERT_EQ(y, y2);
        if (f >= nyquist) {
          double power = 0;
          for (size_t i = edge; i < y.size() - edge; ++i) power += double(y[i]) * y[i];
          stopband = std::max(stopband, dB(std::sqrt(2 * power / double(y.size() - 2 * edge))));
          continue;
        }
        const SineFit fit = fitSine(y, edge, y.size() - edge, 2 * M_PI * f / out);
        if (f <= kResamplePassbandEdge * nyquist * (1 + 1e-9)) {
          passband = std::max(passband, std::fabs(dB(fit.amplitude)));
        }
        images = std::max(images, dB(fit.residual));
      }
      std::printf("%6u -> %6u %-8s taps %4d phases %4u: passband +-%.5f dB, above Nyquist %.1f dB, images %.1f dB\n",
                  in, out, kernels->name, resampler.taps(), resampler.phases(), passband, in > out ? stopband : NAN,
                  images);
      EXPECT_LE(passband, 0.1);
      EXPECT_LE(in > out ? stopband : -300.0, -100.0);
      EXPECT_LE(images, -100.0);
    }
  }
}

// The signal is silence outside the recording. Silence stays silent; a constant is exact inside and
// at the ends keeps to its sign and to the overshoot of a band-limited step (under 15 %); a tone
// that fades in and out keeps within its level at both ends: nothing clicks.
TEST(ResamplerTest, EndsAddNothing) {
  const uint32_t pairs[][2] = {{44100, 48000}, {48000, 44100}, {96000, 44100}, {22050, 48000}, {8000, 44100}};
  for (const auto& [in, out] : pairs) {
    SCOPED_TRACE(std::to_string(in) + " -> " + std::to_string(out));
    const Resampler resampler(in, out);
    const int64_t frames = 6000;
    const auto total = size_t(resampler.outputFrames(frames));
    std::vector<float> x(size_t(frames), 0.0f), l(total, 1.0f), r(total, 1.0f);
    resampler.process(x.data(), x.data(), frames, l.data(), r.data());
    EXPECT_TRUE(std::all_of(l.begin(), l.end(), [](float v) { return v == 0.0f; }));

    std::fill(x.begin(), x.end(), 0.5f);
    resampler.process(x.data(), x.data(), frames, l.data(), r.data());
    const size_t edge = size_t(resampler.taps()) * out / in + 2;
    for (size_t i = 0; i < total; ++i) {
      if (i < edge || i + edge >= total) {
        ASSERT_GE(l[i], 0.0f) << i;
        ASSERT_LE(l[i], 0.5f * 1.15f) << i;
      } else {
        ASSERT_NEAR(l[i], 0.5f, 1e-6f) << i;
      }
    }

    for (size_t i = 0; i < x.size(); ++i) {
      const double fade = std::min({1.0, double(i) / 2000, double(x.size() - 1 - i) / 2000});
      x[i] = float(0.8 * std::sin(M_PI * fade / 2) * std::sin(2 * M_PI * 1000.0 * double(i) / in));
    }
    resampler.process(x.data(), x.data(), frames, l.data(), r.data());
    float ends = 0.0f;
    for (size_t i = 0; i < total / 4; ++i) ends = std::max({ends, std::fabs(l[i]), std::fabs(l[total - 1 - i])});
    EXPECT_LE(ends, 0.8f * 1.0001f);
  }
}

// No pair of rates makes a large filter: absurd pairs stay within the bounds, and a long filter that keeps
// fewer phase rows still meets the design within the conversion band.
TEST(ResamplerTest, AbsurdRatesKeepTheFilterSmallAndTheBandClean) {
  const uint32_t pairs[][2] = {{384000, 1}, {384000, 997}, {1, 384000}, {1048576, 3}, {384000, 8001}};
  for (const auto& [in, out] : pairs) {
    SCOPED_TRACE(std::to_string(in) + " -> " + std::to_string(out));
    const Resampler resampler(in, out);
    ASSERT_TRUE(resampler.valid());
    EXPECT_LE(resampler.taps(), kResampleMaxTaps);
    EXPECT_LE(size_t(resampler.taps()) * (resampler.phases() + 1), kResampleMaxCoefficients + size_t(kResampleMaxTaps));
  }
  EXPECT_EQ(conversionRate(1.0), kConversionRateLowest);
  EXPECT_EQ(conversionRate(997.4), kConversionRateLowest);
  EXPECT_EQ(conversionRate(44100.4), 44100u);
  EXPECT_EQ(conversionRate(1e9), kConversionRateHighest);
  EXPECT_EQ(conversionRate(std::nan("")), kConversionRateLowest);

  const Resampler widest(384000, 8001);  // the longest filter of the band, with interpolated phases
  ASSERT_TRUE(widest.interpolatesPhases());
  const int64_t frames = 76800;
  std::vector<float> x(static_cast<size_t>(frames)), y(static_cast<size_t>(widest.outputFrames(frames))), y2(y.size());
  const auto edge = size_t(widest.taps()) * 8001 / 384000 + 8;
  for (const double f : {500.0, 2000.0, 3500.0, 4100.0, 9000.0}) {
    for (size_t i = 0; i < x.size(); ++i) x[i] = float(std::sin(2 * M_PI * f * double(i) / 384000 + 0.3));
    widest.process(x.data(), x.data(), frames, y.data(), y2.data());
    if (f > 4000.5) {
      double power = 0;
      for (size_t i = edge; i < y.size() - edge; ++i) power += double(y[i]) * y[i];
      EXPECT_LE(dB(std::sqrt(2 * power / double(y.size() - 2 * edge))), -100.0) << f;
      continue;
    }
    const SineFit fit = fitSine(y, edge, y.size() - edge, 2 * M_PI * f / 8001);
    EXPECT_LE(std::fabs(dB(fit.amplitude)), 0.1) << f;
    EXPECT_LE(dB(fit.residual), -100.0) << f;
  }
}

TEST(ResamplerTest, LengthsGuardSamplesAndEqualRates) {
  EXPECT_EQ(Resampler(44100, 48000).outputFrames(44100), 48000);
  EXPECT_EQ(Resampler(48000, 44100).outputFrames(1), 1);  // 0.92 rounds to 1
  EXPECT_EQ(Resampler(384000, 8000).outputFrames(1), 1);  // never empty
  EXPECT_EQ(Resampler(8000, 44100).outputFrames(3), 17);  // 16.54
  EXPECT_EQ(Resampler(44100, 8000).outputFrames(441 * 3), 240);
  EXPECT_FALSE(Resampler(0, 44100).valid());
  EXPECT_FALSE(Resampler(44100, (1u << 20) + 1).valid());

  ChannelPair in;
  in.frameCount = 5;
  in.left.reset(new float[6]{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.0f});
  in.right.reset(new float[6]{-0.1f, -0.2f, -0.3f, -0.4f, -0.5f, 0.0f});
  ChannelPair out;
  ASSERT_TRUE(Resampler(48000, 48000).convert(in, out));
  EXPECT_EQ(out.frameCount, 5);
  EXPECT_TRUE(std::equal(in.left.get(), in.left.get() + 6, out.left.get()));
  EXPECT_TRUE(std::equal(in.right.get(), in.right.get() + 6, out.right.get()));
  ASSERT_TRUE(Resampler(8000, 44100).convert(in, out));
  EXPECT_EQ(out.frameCount, 28);
  EXPECT_EQ(out.left[28], 0.0f);
  EXPECT_EQ(out.right[28], 0.0f);
  EXPECT_GT(out.left[0], 0.0f);
  EXPECT_LT(out.right[0], 0.0f);
}

}  // namespace
}  // namespace tarnwick
