// The editor's life: construction, opening on a window, closing.
#include "editor/ADEditor.h"

#include "editor/EditorActions.h"
#include "editor/FileSelection.h"
#include "editor/Layout.h"
#include "editor/ScalePreference.h"
#include "gui/CBitmap.h"
#include "gui/CFrame.h"
#include "gui/COptionMenu.h"
#include "platform/DesktopScale.h"
#include "platform/EditorWindow.h"
#include "platform/OffscreenWindow.h"
#include "resources/BitmapResources.h"

namespace tarnwick {

using namespace gui;

namespace {

// The toolkit takes the editor's bitmaps from the instrument's resources.
bool instrumentBitmap(int32_t id, BitmapPixels& out) {
  const BitmapResource* resource = findBitmapResource(id);
  if (resource == nullptr) return false;
  out = {resource->width, resource->height, resource->pixels};
  return true;
}

// The same pictures drawn for 1.5x and 2x.
bool scaledInstrumentBitmap(int32_t id, int32_t scaleHalves, BitmapPixels& out) {
  const BitmapResource* resource = findBitmapResource(id, scaleHalves);
  if (resource == nullptr) return false;
  out = {resource->width, resource->height, resource->pixels};
  return true;
}

}  // namespace

ADEditor::ADEditor(EditorHost* host, EditorModel* model, EditorActions* actions)
    : AEffGUIEditor(host), model_(model), actions_(actions), waveScratch_(std::make_unique<WaveSummary>()) {
  setBitmapLookup(instrumentBitmap);
  setScaledBitmapLookup(scaledInstrumentBitmap);
  userScale_ = readScalePreference();
  for (auto& v : pendingValue_) v.store(0.0f, std::memory_order_relaxed);
  for (auto& bits : pendingBits_) bits.store(0u, std::memory_order_relaxed);
  backgroundBitmap_ = new CBitmap(layout::kBmpBackground);
  rect.top = 0;
  rect.left = 0;
  updateRect(scaleHalves());
}

ADEditor::~ADEditor() {
  if (frame) close();
  backgroundBitmap_->forget();
}

bool ADEditor::open(void* parent) {
  // A real window or nothing: the offscreen stand-in means the host has no display for us.
  if (parent != nullptr) desktopScale_ = platform::desktopScaleHalves(parent);
  const int32_t halves = scaleHalves();
  std::unique_ptr<platform::EditorWindow> window = platform::createEditorWindow(
      parent, (layout::kWindowWidth * halves + 1) / 2, (layout::kWindowHeight * halves + 1) / 2);
  if (!window || dynamic_cast<platform::OffscreenWindow*>(window.get()) != nullptr) return false;
  const bool opened = openOn(std::move(window), parent);
  onDesktopWindow_ = opened;
  return opened;
}

bool ADEditor::openOn(std::unique_ptr<platform::EditorWindow> window, void* parent) {
  if (!window) return false;
  if (frame) close();
  AEffGUIEditor::open(parent);
  // Echoes from now on are at least as new as the values the controls are built with.
  clearPending();
  accepting_.store(true, std::memory_order_seq_cst);
  onDesktopWindow_ = false;
  scalePending_ = false;
  const int32_t halves = scaleHalves();
  updateRect(halves);
  frame = new CFrame(CRect(0, 0, layout::kWindowWidth, layout::kWindowHeight), std::move(window), this, halves);
  frame->setDropTarget(this);
  frame->setBackground(backgroundBitmap_);
  buildControls();
  // A new window shows no hover and no playing marker yet: the next idle marks them afresh.
  hoveredBar_ = -1;
  shownPlayingGrain_ = -1;
  shownNoticeSerial_ = kNoNoticeShown;  // a notice about the recording shows again in a new window
  return true;
}

void ADEditor::close() {
  accepting_.store(false, std::memory_order_seq_cst);
  // A selection still running ends with the window (a child dialog is stopped, a browser view goes).
  selection_.reset();
  dialog_ = Dialog::kNone;
  saveAgainAt_.clear();
  // A recording still loading is dropped with the window, and the loader's thread ends.
  if (actions_ != nullptr) actions_->endAudioLoads();
  loadingAudio_ = false;
  releaseAllBitmaps();
  // Destroys the frame and with it every control it holds.
  AEffGUIEditor::close();
  // The submenus live outside the frame: the editor holds their first reference.
  COptionMenu** submenus[] = {&c_.delayRange, &c_.keyMapping, &c_.morphAlgorithm, &c_.reset, &c_.scale};
  for (COptionMenu** submenu : submenus) {
    if (*submenu) (*submenu)->forget();
    *submenu = nullptr;
  }
  c_ = EditorControls{};
  highlightedControl_ = nullptr;
  savedBitmap_ = nullptr;
  clearPending();
  onDesktopWindow_ = false;
  scalePending_ = false;
}

}  // namespace tarnwick
