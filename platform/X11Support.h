// Pieces of the X11 editor window backend that stand on their own: the error trap that keeps server errors
// away from the host, and the conversion of toolkit pixels into the layout of an X visual.
#pragma once

#include <cstdint>

#include <X11/Xlib.h>

namespace tarnwick::platform::x11 {

// [ui-thread] While a trap lives, errors and connection losses of its display are recorded here instead of
// reaching the process-wide Xlib handlers (whose default ends the process); errors of other displays still
// go to the handlers that were installed before. Traps nest; the previous handlers are restored when the
// outermost one ends, so nothing of ours stays installed between calls. Needs Xlib loaded (loadXlib()).
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display);
  ~ErrorTrap();
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

  // The first error code since the trap began (or since clear()), 0 for none.
  int errorCode() const { return errorCode_; }
  bool failed() const { return errorCode_ != 0 || connectionLost_; }
  bool connectionLost() const { return connectionLost_; }
  void clear() { errorCode_ = 0; }

 private:
  static int onError(Display* display, XErrorEvent* event);
  static int onIOError(Display* display);

  Display* display_;
  ErrorTrap* outer_;
  XErrorHandler restoreError_;
  XIOErrorHandler restoreIOError_;
  int errorCode_ = 0;
  bool connectionLost_ = false;
};

// After a connection loss Xlib calls this display's exit handler; ours marks *lost and returns, so the
// process goes on (libX11 1.7 and later; older ones end the process there whatever we do).
void surviveConnectionLoss(Display* display, bool* lost);

// How a TrueColor visual stores a colour, built from its channel masks.
class PixelLayout {
 public:
  // False when a mask is empty, not contiguous, overlaps another or lies outside the pixel.
  bool init(uint32_t redMask, uint32_t greenMask, uint32_t blueMask, int depth, int bitsPerPixel);
  // The pixel value for 0x??RRGGBB, each channel rounded to the nearest level of the visual; bits of the
  // depth outside the colour masks (an alpha channel) are set.
  uint32_t encode(uint32_t argb) const {
    return red_[(argb >> 16) & 0xFFu] | green_[(argb >> 8) & 0xFFu] | blue_[argb & 0xFFu] | fill_;
  }
  // The colour (0x00RRGGBB) of a pixel value, each channel scaled to 8 bits.
  uint32_t decode(uint32_t pixel) const;
  // Writes count pixels as bitsPerPixel/8 bytes each, most significant byte first when msbFirst.
  void encodeRow(const uint32_t* source, int32_t count, uint8_t* destination, bool msbFirst) const;
  int bytesPerPixel() const { return bitsPerPixel_ / 8; }

 private:
  struct Channel {
    int shift = 0;
    uint32_t max = 0;  // the mask shifted down
  };
  static bool channelOf(uint32_t mask, Channel& channel);
  static void fillTable(const Channel& channel, uint32_t* table);
  static uint32_t level(uint32_t pixel, const Channel& channel);

  Channel redChannel_, greenChannel_, blueChannel_;
  uint32_t red_[256] = {}, green_[256] = {}, blue_[256] = {};  // shifted pixel bits per 8-bit level
  uint32_t fill_ = 0;                                          // bits set in every pixel (alpha)
  int bitsPerPixel_ = 32;
};

}  // namespace tarnwick::platform::x11
