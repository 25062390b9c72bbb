// X11 error trap and pixel layout conversion for the editor window backend.
#include "platform/X11Support.h"

#include <atomic>
#include <cstddef>

#include "platform/X11Api.h"

namespace tarnwick::platform::x11 {

namespace {

// The innermost trap of this thread; a trivially destructible thread_local, so the library stays unloadable.
thread_local ErrorTrap* tInnermost = nullptr;
// The handlers that were installed before our outermost trap, for errors that are not ours (another
// thread of the host may get one while our handler is installed).
std::atomic<XErrorHandler> gForwardError{nullptr};
std::atomic<XIOErrorHandler> gForwardIOError{nullptr};

void onExit(Display* /*display*/, void* lost) { *static_cast<bool*>(lost) = true; }

}  // namespace

ErrorTrap::ErrorTrap(Display* display) : display_(display), outer_(tInnermost) {
  tInnermost = this;
  restoreError_ = xlib().XSetErrorHandler(&ErrorTrap::onError);
  restoreIOError_ = xlib().XSetIOErrorHandler(&ErrorTrap::onIOError);
  if (restoreError_ != &ErrorTrap::onError) gForwardError.store(restoreError_);
  if (restoreIOError_ != &ErrorTrap::onIOError) gForwardIOError.store(restoreIOError_);
}

ErrorTrap::~ErrorTrap() {
  xlib().XSetErrorHandler(restoreError_);
  xlib().XSetIOErrorHandler(restoreIOError_);
  tInnermost = outer_;
}

int ErrorTrap::onError(Display* display, XErrorEvent* event) {
  for (ErrorTrap* trap = tInnermost; trap != nullptr; trap = trap->outer_) {
    if (trap->display_ == display) {
      if (trap->errorCode_ == 0) trap->errorCode_ = event->error_code;
      return 0;
    }
  }
  const XErrorHandler forward = gForwardError.load();
  return forward != nullptr ? forward(display, event) : 0;
}

int ErrorTrap::onIOError(Display* display) {
  for (ErrorTrap* trap = tInnermost; trap != nullptr; trap = trap->outer_) {
    if (trap->display_ == display) {
      trap->connectionLost_ = true;
      return 0;
    }
  }
  const XIOErrorHandler forward = gForwardIOError.load();
  return forward != nullptr ? forward(display) : 0;
}

void surviveConnectionLoss(Display* display, bool* lost) {
  const XlibApi& x = xlib();
  if (x.XSetIOErrorExitHandler != nullptr) x.XSetIOErrorExitHandler(display, &onExit, lost);
}

bool PixelLayout::channelOf(uint32_t mask, Channel& channel) {
  if (mask == 0) return false;
  int shift = 0;
  while (((mask >> shift) & 1u) == 0) ++shift;
  const uint32_t max = mask >> shift;
  if (max > 0xFFFFu || (max & (max + 1u)) != 0) return false;  // wider than 16 bits, or holes in the mask
  channel.shift = shift;
  channel.max = max;
  return true;
}

void PixelLayout::fillTable(const Channel& channel, uint32_t* table) {
  for (uint32_t v = 0; v < 256; ++v) table[v] = ((v * channel.max + 127u) / 255u) << channel.shift;
}

uint32_t PixelLayout::level(uint32_t pixel, const Channel& channel) {
  return (((pixel >> channel.shift) & channel.max) * 255u + channel.max / 2u) / channel.max;
}

bool PixelLayout::init(uint32_t redMask, uint32_t greenMask, uint32_t blueMask, int depth, int bitsPerPixel) {
  if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) return false;
  if (depth <= 0 || depth > bitsPerPixel) return false;
  Channel red, green, blue;
  if (!channelOf(redMask, red) || !channelOf(greenMask, green) || !channelOf(blueMask, blue)) return false;
  if ((redMask & greenMask) != 0 || (redMask & blueMask) != 0 || (greenMask & blueMask) != 0) return false;
  const uint32_t depthBits = depth >= 32 ? 0xFFFFFFFFu : ((1u << depth) - 1u);
  const uint32_t colour = redMask | greenMask | blueMask;
  if ((colour & ~depthBits) != 0) return false;
  redChannel_ = red;
  greenChannel_ = green;
  blueChannel_ = blue;
  fillTable(red, red_);
  fillTable(green, green_);
  fillTable(blue, blue_);
  fill_ = depthBits & ~colour;
  bitsPerPixel_ = bitsPerPixel;
  return true;
}

uint32_t PixelLayout::decode(uint32_t pixel) const {
  return (level(pixel, redChannel_) << 16) | (level(pixel, greenChannel_) << 8) | level(pixel, blueChannel_);
}

void PixelLayout::encodeRow(const uint32_t* source, int32_t count, uint8_t* destination, bool msbFirst) const {
  const int bytes = bitsPerPixel_ / 8;
  if (bytes == 4 && !msbFirst) {
    for (int32_t i = 0; i < count; ++i) {
      const uint32_t p = encode(source[i]);
      uint8_t* out = destination + static_cast<ptrdiff_t>(i) * 4;
      out[0] = static_cast<uint8_t>(p);
      out[1] = static_cast<uint8_t>(p >> 8);
      out[2] = static_cast<uint8_t>(p >> 16);
      out[3] = static_cast<uint8_t>(p >> 24);
    }
    return;
  }
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t p = encode(source[i]);
    uint8_t* out = destination + static_cast<ptrdiff_t>(i) * bytes;
    for (int b = 0; b < bytes; ++b) {
      const int byteIndex = msbFirst ? (bytes - 1 - b) : b;
      out[b] = static_cast<uint8_t>(p >> (8 * byteIndex));
    }
  }
}

}  // namespace tarnwick::platform::x11
