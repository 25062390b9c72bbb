// Helpers for the toolkit tests: an editor on an offscreen window, recording host and listener, test bitmaps.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gui/Toolkit.h"
#include "platform/OffscreenWindow.h"
#include "tests/support/PngArtefact.h"

namespace tarnwick::gui::test {

// Records what the toolkit asks of the instrument; onIdle runs inside every modal-loop pass, after the
// frame has drawn, which lets a test look at the window in the middle of a drag.
class RecordingHost : public EditorHost {
 public:
  void setParameterAutomated(int32_t index, float value) override { automated.emplace_back(index, value); }
  void setParameter(int32_t index, float value) override { plain.emplace_back(index, value); }
  float getParameter(int32_t /*index*/) override { return 0.0f; }
  void beginEdit(int32_t index) override { edits.push_back("begin " + std::to_string(index)); }
  void endEdit(int32_t index) override { edits.push_back("end " + std::to_string(index)); }
  void idleHost() override {
    ++idleCount;
    if (onIdle) onIdle();
  }

  std::vector<std::pair<int32_t, float>> automated;
  std::vector<std::pair<int32_t, float>> plain;
  std::vector<std::string> edits;
  int idleCount = 0;
  std::function<void()> onIdle;
};

class RecordingListener : public CControlListener {
 public:
  void valueChanged(CDrawContext* /*context*/, CControl* control) override {
    changes.emplace_back(control->getTag(), control->getValue());
  }
  std::vector<std::pair<int32_t, float>> changes;
};

// An editor whose frame lies on an OffscreenWindow.
class TestEditor : public AEffGUIEditor {
 public:
  explicit TestEditor(EditorHost* host, CCoord width = 554, CCoord height = 356) : AEffGUIEditor(host) {
    rect = EditorRect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
    auto window = std::make_unique<platform::OffscreenWindow>(width, height);
    window_ = window.get();
    frame = new CFrame(CRect(0, 0, width, height), std::move(window), this);
  }
  platform::OffscreenWindow& window() { return *window_; }

  // A click: press at (x, y), release at the same place.
  void click(CCoord x, CCoord y, int32_t buttons = kLButton) {
    window_->queueMouse(x, y, buttons);
    window_->queueMouse(x, y, 0);
    idle();
  }
  // Press at the first point, move through the others with the button held, release at the last.
  void drag(const std::vector<CPoint>& path, int32_t buttons = kLButton) {
    for (const CPoint& p : path) window_->queueMouse(p.x, p.y, buttons);
    window_->queueMouse(path.back().x, path.back().y, 0);
    idle();
  }

 private:
  platform::OffscreenWindow* window_;
};

// One-colour bitmap (the caller owns the returned reference).
inline CBitmap* solidBitmap(CCoord width, CCoord height, uint32_t argb) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), argb);
  return new CBitmap(width, height, pixels.data());
}

// Two images stacked vertically: the top half in one colour, the bottom half in another.
inline CBitmap* stackedBitmap(CCoord width, CCoord imageHeight, uint32_t top, uint32_t bottom) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(imageHeight) * 2, top);
  std::fill(pixels.begin() + static_cast<ptrdiff_t>(width) * imageHeight, pixels.end(), bottom);
  return new CBitmap(width, imageHeight * 2, pixels.data());
}

// Writes the pixels as a PNG into $TARNWICK_GUI_ARTEFACTS (nothing when unset); for looking at results.
inline void saveArtefact(const char* name, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride) {
  tarnwick::test::savePngArtefact("TARNWICK_GUI_ARTEFACTS", name, pixels, width, height, stride, true);
}

}  // namespace tarnwick::gui::test
