// Pictures of engine data: the wave display (the recording with the grain window of the last played key)
// and the ten copy-buffer slot displays (the slot's 32 values as a small curve). The display draws copies
// that the editor hands it on the user-interface thread; it never reads the instrument's memory.
#pragma once

#include <cstdint>
#include <memory>

#include "editor/EditorCommands.h"
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
  // Wave display: what changes with every note and setting (read at each idle).
  void setLive(const LiveState& live);
  // Where clicks go: the audio line, auditioned keys, the slot displays' clicks.
  void setCommandTarget(EditorCommands* target) { commands = target; }
  void setWaveformDirty() { waveformDirty = true; }
  bool getWaveformDirty() const { return waveformDirty; }
  // How often the waveform layer was rendered (the grain window alone never renders it).
  int32_t getWaveformRenders() const { return waveformRenders; }
  // The grain window's pixel position and width as last composed.
  int32_t getWindowX() const { return windowX; }
  int32_t getWindowWidth() const { return windowWidth; }

  // Slot display: the slot's 32 values.
  void setSlot(const float values[kGrainCount]);
  bool isSlotBound() const { return slotBound; }

  void draw(gui::CDrawContext* context) override;
  // Wave display: a left click plays the key whose slice lies under the mouse until the button comes up,
  // a right click stops every grain; both show the audio line first. With morph on only the audio line
  // is shown; while the recording is being replaced a click does nothing. Slot display: reported, no effect.
  void mouse(gui::CDrawContext* context, gui::CPoint& where, int32_t buttons = -1) override;
  // The key a click at x (window coordinates) plays.
  int32_t keyAt(gui::CCoord x) const;

 private:
  void drawSlot(gui::CDrawContext* context);
  void drawWave(gui::CDrawContext* context);
  void renderWaveform();
  void compose();

  int32_t displayIndex;
  gui::CColor backColour = gui::kBlackCColor;
  bool waveformDirty = false;
  int32_t waveformRenders = 0;
  bool busy = false;
  float morph = 0.0f;
  int32_t keyCount = 128;
  int32_t lowKey = 0;
  EditorCommands* commands = nullptr;
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
