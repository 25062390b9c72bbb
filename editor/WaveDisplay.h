// Pictures of engine data: the wave display (the recording with the grain window of the last played key)
// and the ten copy-buffer slot displays (the slot's 32 values as a small curve). The display draws copies
// that the editor hands it on the user-interface thread; it never reads the instrument's memory.
#pragma once

#include <cstdint>
#include <memory>

#include "editor/EditorModel.h"
#include "gui/CControl.h"
#include "gui/COffscreenContext.h"

namespace tarnwick {

class WaveDisplay : public gui::CControl {
 public:
  // displayIndex: 41 for the wave display, 0..9 for slot display j.
  WaveDisplay(const gui::CRect& size, gui::CControlListener* listener, gui::CBitmap* background, int32_t displayIndex);
  ~WaveDisplay() override;

  int32_t getDisplayIndex() const { return displayIndex; }
  bool isWaveDisplay() const;

  // Wave display: a new summary of the recording (rebinding); the waveform is rendered again.
  void setSummary(const WaveSummary& summary);
  const WaveSummary& getSummary() const { return *summary; }
  // Wave display: what changes with every note (read at each idle).
  void setLive(float splitStart, float grainLength, bool busy);
  void setWaveformDirty() { waveformDirty = true; }
  bool getWaveformDirty() const { return waveformDirty; }
  // The grain window's pixel position and width as last composed.
  int32_t getWindowX() const { return windowX; }
  int32_t getWindowWidth() const { return windowWidth; }

  // Slot display: the slot's 32 values.
  void setSlot(const float values[kGrainCount]);
  bool isSlotBound() const { return slotBound; }

  void draw(gui::CDrawContext* context) override;
  // Clicks are taken and change nothing (auditioning a key from the display is not part of it).
  void mouse(gui::CDrawContext* context, gui::CPoint& where, int32_t buttons = -1) override;

 private:
  void drawSlot(gui::CDrawContext* context);
  void drawWave(gui::CDrawContext* context);
  void renderWaveform();
  void compose();

  int32_t displayIndex;
  gui::CColor backColour = gui::kBlackCColor;
  bool waveformDirty = false;
  bool busy = false;
  std::unique_ptr<gui::COffscreenContext> waveLayer;
  std::unique_ptr<gui::COffscreenContext> compositeLayer;
  std::unique_ptr<WaveSummary> summary;
  float splitStart = 0.0f;
  float grainLength = 0.0f;
  float shownSplitStart = -1.0f;
  float shownGrainLength = -1.0f;
  int32_t windowX = 0;
  int32_t windowWidth = 0;
  bool composed = false;
  float slot[kGrainCount] = {};
  bool slotBound = false;
};

}  // namespace tarnwick
