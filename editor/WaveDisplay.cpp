// Wave and slot displays: the slot curve, the waveform layer and the composed grain window.
#include "editor/WaveDisplay.h"

#include <algorithm>
#include <cmath>

#include "gui/CBitmap.h"

namespace tarnwick {

using namespace gui;

namespace {

constexpr CCoord kLayerWidth = 532;
constexpr CCoord kLayerHeight = 110;

// Drawing positions from values that may be anything the engine holds.
float unit(float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f; }

int32_t pixelOf(float numerator, float length) {
  if (!(length > 0.0f)) return 0;
  const float p = numerator * static_cast<float>(kWaveColumns) / length;
  return std::isfinite(p) ? static_cast<int32_t>(std::clamp(p, -100000.0f, 100000.0f)) : 0;
}

}  // namespace

WaveDisplay::WaveDisplay(const CRect& rect, CControlListener* controlListener, CBitmap* background, int32_t index)
    : CControl(rect, controlListener, 0, background), displayIndex(index) {
  if (isWaveDisplay()) {
    waveLayer = std::make_unique<COffscreenContext>(nullptr, kLayerWidth, kLayerHeight, kWhiteCColor);
    compositeLayer = std::make_unique<COffscreenContext>(nullptr, kLayerWidth, kLayerHeight, kWhiteCColor);
    summary = std::make_unique<WaveSummary>();
  }
}

WaveDisplay::~WaveDisplay() = default;

bool WaveDisplay::isWaveDisplay() const { return displayIndex == 41; }

void WaveDisplay::setSummary(const WaveSummary& s) {
  if (!summary) return;
  *summary = s;
  grainLength = s.grainLength;
  windowX = 0;
  waveformDirty = true;
  setDirty(true);
}

void WaveDisplay::setLive(const LiveState& live) {
  splitStart = live.keySplitStart;
  grainLength = live.grainLength;
  busy = live.busy;
  morph = live.morph;
  keyCount = live.keyCount;
  lowKey = live.lowKey;
}

void WaveDisplay::setSlot(const float values[kGrainCount]) {
  std::copy(values, values + kGrainCount, slot);
  slotBound = true;
  setDirty(true);
}

void WaveDisplay::draw(CDrawContext* context) {
  if (isWaveDisplay()) {
    drawWave(context);
  } else {
    drawSlot(context);
  }
  setDirty(false);
}

void WaveDisplay::drawSlot(CDrawContext* context) {
  if (pBackground) pBackground->draw(context, size, size.topLeft());
  if (!slotBound) return;
  const CCoord h = size.height();
  context->setLineWidth(2);
  context->moveTo(CPoint(size.left, size.top + static_cast<CCoord>(static_cast<float>(h) * unit(slot[0]))));
  for (int32_t k = 0; k < kGrainCount; ++k) {
    context->setFrameColor(MakeCColor(60, static_cast<uint8_t>(62 + 2 * k), 60));
    context->lineTo(CPoint(size.left + k + 1, size.top + static_cast<CCoord>(static_cast<float>(h) * unit(slot[k]))));
  }
  context->setLineWidth(1);
}

void WaveDisplay::drawWave(CDrawContext* context) {
  const bool empty = !summary || !summary->present || summary->length <= 0.0f;
  if (empty || (busy && !composed)) {
    // Nothing to show: the display is a black field.
    context->setFillColor(backColour);
    context->fillRect(CRect(size.left - 1, size.top - 1, size.right, size.bottom));
    if (empty) {
      waveformDirty = false;
      composed = false;
    }
    return;
  }
  if (waveLayer->getScaleHalves() != context->getScaleHalves()) {
    // The window's scale changed: both layers are drawn again at the new one.
    waveLayer = std::make_unique<COffscreenContext>(nullptr, kLayerWidth, kLayerHeight, kWhiteCColor,
                                                    context->getScaleHalves());
    compositeLayer = std::make_unique<COffscreenContext>(nullptr, kLayerWidth, kLayerHeight, kWhiteCColor,
                                                         context->getScaleHalves());
    waveformDirty = true;
    composed = false;
  }
  if (!busy) {
    const bool rendered = waveformDirty;
    if (rendered) renderWaveform();
    if (rendered || !composed || splitStart != shownSplitStart || grainLength != shownGrainLength) compose();
    waveformDirty = false;
  }
  compositeLayer->copyFrom(context, size);
}

void WaveDisplay::renderWaveform() {
  ++waveformRenders;
  COffscreenContext* layer = waveLayer.get();
  const CCoord width = std::min<CCoord>(size.width(), kWaveColumns);
  const CCoord height = size.height();
  layer->resetClipRect();
  layer->setFillColor(backColour);
  layer->fillRect(CRect(-1, -1, width, height));
  layer->setLineWidth(2);
  const CCoord mid = static_cast<CCoord>(static_cast<float>(height) * 0.5f);
  int32_t red = 100;
  for (CCoord x = 0; x < width; ++x) {
    // Red rises towards the middle of the display and falls back.
    if (x % 2 == 0) red += x < width / 2 ? 1 : -1;
    const CCoord up = static_cast<CCoord>(static_cast<float>(mid) * unit(summary->peakLeft[x]));
    const CCoord down = static_cast<CCoord>(static_cast<float>(mid) * unit(summary->peakRight[x]));
    if (up != 0 || down != 0) {
      layer->setFrameColor(MakeCColor(static_cast<uint8_t>(std::clamp(red - 30, 0, 255)), 60, 60));
      layer->moveTo(CPoint(x, mid - up - 1));
      layer->lineTo(CPoint(x, mid + down + 1));
    }
    layer->setFrameColor(MakeCColor(static_cast<uint8_t>(std::clamp(red, 0, 255)), 80, 80));
    layer->moveTo(CPoint(x, mid - up));
    layer->lineTo(CPoint(x, mid + down));
  }
}

void WaveDisplay::compose() {
  COffscreenContext* layer = compositeLayer.get();
  const CCoord width = std::min<CCoord>(size.width(), kWaveColumns);
  const CCoord height = size.height();
  layer->resetClipRect();
  waveLayer->copyFrom(layer, CRect(0, 0, width, height));
  shownSplitStart = splitStart;
  shownGrainLength = grainLength;
  windowX = pixelOf(splitStart, summary->length);
  windowWidth = pixelOf(grainLength, summary->length);
  // A grey outline one pixel behind a gold one.
  layer->setLineWidth(1);
  layer->setFrameColor(MakeCColor(136, 136, 136));
  layer->drawRect(CRect(windowX, 1, windowX + windowWidth - 1, height));
  layer->setFrameColor(MakeCColor(198, 166, 0));
  layer->drawRect(CRect(windowX + 1, 0, windowX + windowWidth, height - 1));
  composed = true;
}

int32_t WaveDisplay::keyAt(CCoord x) const {
  float p = static_cast<float>(x - size.left) / static_cast<float>(kWaveColumns);
  // The right edge plays the highest mapped key, not one above it.
  if (p == 1.0f) p = static_cast<float>(x - size.left - 1) / static_cast<float>(kWaveColumns);
  return static_cast<int32_t>(std::floor(static_cast<float>(keyCount) * p)) + lowKey;
}

void WaveDisplay::mouse(CDrawContext* context, CPoint& where, int32_t buttons) {
  if (!isWaveDisplay()) {
    if (commands) commands->editorCommand(kSlotClick, static_cast<float>(displayIndex));
    return;
  }
  if (!bMouseEnabled || !commands) return;
  commands->editorCommand(kShowAudioInfo, 1.0f);
  // No audition while the recording is being replaced, and none with morph on.
  if (morph != 0.0f || busy) return;
  const int32_t key = keyAt(where.x);
  if (buttons == -1) buttons = context->getMouseButtons();
  if (buttons & kRButton) {
    commands->stopAllGrains();
    return;
  }
  if (!(buttons & kLButton)) return;
  commands->auditionKey(key, true);
  // The key stays while the mouse moves; the window keeps being drawn until the button comes up.
  do {
    doIdleStuff();
    context->getMouseLocation(where);
  } while (context->getMouseButtons() & kLButton);
  commands->auditionKey(key, false);
}

}  // namespace tarnwick
