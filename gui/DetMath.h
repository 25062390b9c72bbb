// Trigonometry from IEEE basic operations only, so knob geometry is the same on every machine
// (the library's sin/cos/atan2 may differ in the last bit between platforms).
#pragma once

#include <cmath>

namespace tarnwick::gui::detmath {

constexpr double kPi = 3.14159265358979323846;

// sin on [-pi/2, pi/2] by its Taylor series (error below 1e-13).
inline double sinReduced(double x) {
  const double x2 = x * x;
  double term = x, sum = x;
  for (int n = 1; n <= 9; ++n) {
    term = -term * x2 / static_cast<double>((2 * n) * (2 * n + 1));
    sum = sum + term;
  }
  return sum;
}

inline double sin(double x) {
  // Into [-pi, pi], then mirror into [-pi/2, pi/2].
  x = x - 2.0 * kPi * std::nearbyint(x / (2.0 * kPi));
  if (x > kPi / 2.0) x = kPi - x;
  if (x < -kPi / 2.0) x = -kPi - x;
  return sinReduced(x);
}

inline double cos(double x) { return sin(x + kPi / 2.0); }

// atan for any x: two half-angle steps bring |x| below tan(pi/16), where the series converges fast.
inline double atan(double x) {
  for (int i = 0; i < 2; ++i) x = x / (1.0 + std::sqrt(1.0 + x * x));
  const double x2 = x * x;
  double power = x, sum = x;
  for (int n = 1; n <= 11; ++n) {
    power = -power * x2;
    sum = sum + power / static_cast<double>(2 * n + 1);
  }
  return 4.0 * sum;
}

inline double atan2(double y, double x) {
  if (x > 0.0) return atan(y / x);
  if (x < 0.0) return y >= 0.0 ? atan(y / x) + kPi : atan(y / x) - kPi;
  if (y > 0.0) return kPi / 2.0;
  if (y < 0.0) return -kPi / 2.0;
  return 0.0;
}

}  // namespace tarnwick::gui::detmath
