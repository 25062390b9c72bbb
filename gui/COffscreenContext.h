// Offscreen draw contexts: a context with its own pixel buffer that can be copied into other contexts.
#pragma once

#include <vector>

#include "gui/CDrawContext.h"

namespace tarnwick::gui {

class COffscreenContext : public CDrawContext {
 public:
  // width × height device coordinates filled with the background colour (alpha 0 makes a transparent
  // offscreen), at a scale in halves (2 = 1x: width × height pixels). The frame, when given, answers the
  // mouse queries.
  COffscreenContext(CFrame* frame, CCoord width, CCoord height, const CColor& background = kBlackCColor,
                    int32_t scaleHalves = 2);

  // Blends this offscreen's pixels, from srcOffset on, into dest (destRect in dest's coordinates).
  void copyFrom(CDrawContext* dest, const CRect& destRect, const CPoint& srcOffset = CPoint(0, 0)) const;
  // Blends src's pixels from srcRect (src's coordinates) into this offscreen at destOffset (this context's
  // coordinates).
  void copyTo(const CDrawContext* src, const CRect& srcRect, const CPoint& destOffset = CPoint(0, 0));

  const CColor& getBackgroundColor() const { return background_; }

 private:
  std::vector<uint32_t> buffer_;
  CColor background_;
};

}  // namespace tarnwick::gui
