// Software draw contexts: lines, rectangles, bitmaps and text into a 32-bit pixel buffer, all in integers
// so every machine draws the same pixels.
#pragma once

#include <cstdint>

#include "gui/CGeometry.h"

namespace tarnwick::gui {

class CFrame;

// Mouse buttons and modifier keys, as handed to mouse handlers and returned by getMouseButtons.
enum CButton : int32_t {
  kLButton = 1,
  kMButton = 2,
  kRButton = 4,
  kShift = 8,
  kControl = 16,
  kAlt = 32,
  kApple = 64,
};

enum CDrawStyle : int32_t { kDrawStroked = 0, kDrawFilled, kDrawFilledAndStroked };
enum CHoriTxtAlign : int32_t { kLeftText = 0, kCenterText, kRightText };

// Font numbers. Pixel sizes (em height): system 12, very big 18, big 14, normal 12, small 11, smaller 10,
// very small 9, symbol 13. All are DejaVu Sans; the symbol font has no symbols of its own.
enum CFont : int32_t {
  kSystemFont = 0,
  kNormalFontVeryBig,
  kNormalFontBig,
  kNormalFont,
  kNormalFontSmall,
  kNormalFontSmaller,
  kNormalFontVerySmall,
  kSymbolFont,
  kNumStandardFonts
};

// Text faces, combinable: bold selects DejaVu Sans Bold, italic the oblique cut; underline draws a line.
enum CTxtFace : int32_t { kNormalFace = 0, kBoldFace = 1, kItalicFace = 2, kUnderlineFace = 4 };

// Pixel size of a font number (the normal font's size for unknown numbers).
CCoord fontPixelSize(int32_t font);

// Coordinates given to a context are shifted by its offset (device = given + offset) and every pixel
// written is cut to the clip rectangle and the buffer. Pixels are 0xAARRGGBB, straight alpha; drawing
// blends "over" what is there.
//
// Scale: a context may draw at 1.5x or 2x (setScaleHalves 3 or 4; 2 is 1x). Views still give layout
// coordinates; device coordinate v covers the buffer's pixels from floor(v * scale) up to those of v + 1.
// Fills, outlines and points cover whole such boxes; lines, text and bitmaps are drawn at the buffer's
// resolution (text with the atlas's glyphs for that scale, bitmaps from their pictures for that scale).
// At 1x a coordinate is a pixel and everything below holds as written.
//
// Geometry rules:
//  - lineTo draws from the pen position to the point, both ends included, with the line width: a line
//    that runs more across than down gets `width` pixels per column (from y - (width - 1) / 2 down),
//    otherwise `width` pixels per row (from x - (width - 1) / 2 to the right).
//  - drawRect strokes the outline through the four corners: columns left and right, rows top and bottom
//    are drawn (so a stroked CRect(0, 0, 9, 9) covers 10 × 10 pixels); wider lines grow the outline
//    by (width - 1) / 2 outward and width / 2 inward.
//  - fillRect fills the inside of that outline: x from left + 1 to right - 1, y from top + 1 to bottom - 1.
//    To fill exactly the pixels of a view's rectangle r, fill CRect(r.left - 1, r.top - 1, r.right, r.bottom).
class CDrawContext {
 public:
  // The context draws into width × height pixels, `stride` pixels from one row to the next; the frame (may
  // be null) answers the mouse queries.
  CDrawContext(CFrame* frame, uint32_t* pixels, int32_t width, int32_t height, int32_t stride);
  CDrawContext(const CDrawContext&) = delete;
  CDrawContext& operator=(const CDrawContext&) = delete;
  virtual ~CDrawContext() = default;

  void moveTo(const CPoint& point);
  void lineTo(const CPoint& point);
  void drawLine(const CPoint& from, const CPoint& to);
  void getLoc(CPoint& where) const { where = pen_; }

  void setLineWidth(CCoord width);
  CCoord getLineWidth() const { return lineWidth_; }
  void setFrameColor(const CColor& color) { frameColor_ = color; }
  CColor getFrameColor() const { return frameColor_; }
  void setFillColor(const CColor& color) { fillColor_ = color; }
  CColor getFillColor() const { return fillColor_; }

  void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
  void fillRect(const CRect& rect);
  void drawPoint(const CPoint& point, const CColor& color);
  // The pixel at a point (context coordinates); transparent black outside the buffer.
  CColor getPoint(const CPoint& point) const;

  // Text. size 0 takes the font number's own size, any other size the nearest size the plug-in carries
  // (9, 10, 11, 12, 13, 14 or 18 pixels).
  void setFont(CFont font, CCoord size = 0, int32_t face = kNormalFace);
  CFont getFont() const { return font_; }
  CCoord getFontSize() const { return fontSize_; }
  int32_t getFontFace() const { return fontFace_; }
  void setFontColor(const CColor& color) { fontColor_ = color; }
  CColor getFontColor() const { return fontColor_; }
  // Text is UTF-8; characters the font lacks and bytes that are no valid UTF-8 show as '?'.
  // Width in pixels of the string in the current font.
  CCoord getStringWidth(const char* string) const;
  // One line of text, vertically centred in rect and aligned horizontally, cut to rect; opaque fills the
  // rectangle's pixels with the fill colour first.
  void drawString(const char* string, const CRect& rect, bool opaque = false, CHoriTxtAlign hAlign = kCenterText);

  // The clip rectangle in context coordinates (half-open, like a view's rectangle).
  void setClipRect(const CRect& clip);
  void getClipRect(CRect& clip) const;
  void resetClipRect();
  void setOffset(const CPoint& offset) { offset_ = offset; }
  const CPoint& getOffset() const { return offset_; }

  // The current mouse state from the frame (0 and (0, 0) without a frame).
  int32_t getMouseButtons() const;
  void getMouseLocation(CPoint& where) const;
  CFrame* getFrame() const { return frame_; }

  // Blends srcWidth × srcHeight pixels, from srcOffset on, into dest (context coordinates); each source
  // alpha is scaled by alpha (0..255). The copied part is cut to dest and to the source. srcScaleHalves is
  // the scale the source was drawn at (srcOffset is in its layout units): a source at the context's scale
  // is copied pixel for pixel, another one is resampled to the nearest pixel.
  void drawPixels(const uint32_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, const CRect& dest,
                  const CPoint& srcOffset, uint8_t alpha = 255, int32_t srcScaleHalves = 2);
  // Replaces every pixel inside the clip with the colour (no blending).
  void clear(const CColor& color);

  // The scale in halves: 2 = 1x, 3 = 1.5x, 4 = 2x. Setting it resets the clip.
  void setScaleHalves(int32_t halves);
  int32_t getScaleHalves() const { return scaleHalves_; }
  // The first buffer pixel of device coordinate v, and the device coordinate that pixel p lies in.
  int32_t toPixel(int64_t v) const;
  int32_t toDevice(int64_t p) const;

  // The buffer's size in pixels.
  int32_t getWidth() const { return width_; }
  int32_t getHeight() const { return height_; }
  int32_t getStride() const { return stride_; }
  const uint32_t* getPixels() const { return pixels_; }
  uint32_t* getPixels() { return pixels_; }

 protected:
  // Rebinds the context to another buffer (offscreen contexts own theirs).
  void attach(uint32_t* pixels, int32_t width, int32_t height, int32_t stride);

 private:
  void blendSpan(int32_t x0, int32_t x1, int32_t y, uint32_t argb);                // device x0..x1 inclusive
  void fillDevice(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t argb);  // inclusive corners
  void fillPixels(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t argb);  // buffer pixels, inclusive
  // A line between two buffer pixels, `width` pixels thick, cut to clip (buffer pixels).
  void strokePixels(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int32_t width, const CRect& clip, uint32_t argb);
  void drawScaledPixels(const uint32_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, const CRect& dest,
                        const CPoint& srcOffset, uint8_t alpha, int32_t srcScaleHalves);
  CRect deviceClip() const;  // the clip cut to the buffer, device coordinates
  CRect pixelClip() const;   // the same in buffer pixels
  int32_t deviceWidth() const { return toDevice(int64_t{width_} - 1) + 1; }
  int32_t deviceHeight() const { return toDevice(int64_t{height_} - 1) + 1; }

  CFrame* frame_;
  uint32_t* pixels_;
  int32_t width_;
  int32_t height_;
  int32_t stride_;
  CRect clip_;  // device coordinates
  CPoint offset_;
  CPoint pen_;
  CCoord lineWidth_ = 1;
  CColor frameColor_ = kBlackCColor;
  CColor fillColor_ = kWhiteCColor;
  CColor fontColor_ = kWhiteCColor;
  CFont font_ = kSystemFont;
  CCoord fontSize_ = 12;
  int32_t fontFace_ = kNormalFace;
  int32_t scaleHalves_ = 2;
};

}  // namespace tarnwick::gui
