// The frame: the editor's window, holding the views, drawing them into its pixels and dispatching the mouse
// and keys.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gui/CView.h"
#include "platform/EditorWindow.h"

namespace tarnwick::gui {

class AEffGUIEditor;
class FileDropTarget;

// [ui-thread] The frame owns its views: addView takes over the caller's reference, and the frame forgets
// every view it still holds when it is destroyed (frame->forget() or delete).
class CFrame : public CView, private platform::EditorWindowListener {
 public:
  // A frame of size (left and top 0) on the host's parent window (see platform::createEditorWindow), drawn
  // at a scale in halves (2 = 1x, 3 = 1.5x, 4 = 2x): the window has size × scale pixels, the views keep
  // their coordinates, and the mouse comes back in them.
  CFrame(const CRect& size, void* systemWindow, AEffGUIEditor* editor, int32_t scaleHalves = 2);
  // A frame on a window the caller made (tests pass an OffscreenWindow of the scaled size).
  CFrame(const CRect& size, std::unique_ptr<platform::EditorWindow> window, AEffGUIEditor* editor,
         int32_t scaleHalves = 2);
  ~CFrame() override;

  // Later views lie on top of earlier ones. Adding a view that is already in a frame fails.
  bool addView(CView* view);
  bool removeView(CView* view, bool withForget = true);
  bool removeAll(bool withForget = true);
  bool isChild(const CView* view) const;
  int32_t getNbViews() const { return static_cast<int32_t>(views_.size()); }
  CView* getView(int32_t index) const;

  // The host's idle: delivers pending window input (a mouse-down runs the view's handler right here),
  // then draws what is dirty and shows it.
  void idle();
  // One pass of a modal loop (drags, popups): window input, drawing of dirty views, the editor's host idle.
  void doIdleStuff();
  // Draws every dirty view, together with the background and the views that overlap it, and shows the
  // changed areas. Called by idle and doIdleStuff; nothing else draws.
  void drawDirty();
  // Redraws this area (frame coordinates) at the next idle.
  void invalidate(const CRect& rect);

  // While a modal view is set it takes every mouse-down that hits it and every key, and is drawn above all
  // views; setting one while another is set fails. A modal view that wants keys gets the keyboard focus
  // when it is set and when it is clicked; the focus goes back when it is no longer modal.
  bool setModalView(CView* view);
  CView* getModalView() const { return modalView_; }
  // A key from the window or from the host (AEffGUIEditor::onKeyDown): the modal view's, else unused.
  bool onKeyDown(const KeyEvent& key) override;
  // True once the window system asked to close the frame's window (a top-level window's close button).
  bool isCloseRequested() const { return closeRequested_; }

  bool getCurrentMouseLocation(CPoint& where) const;
  int32_t getCurrentMouseButtons() const;
  // One modal pass of the window (see platform::EditorWindow::pumpModal); false ends the loop.
  bool pumpModal();
  // True once the window asked to end the current modal loop (until the next mouse-down); the mouse
  // buttons then read as released.
  bool isModalAbandoned() const { return modalAbandoned_; }

  // Draws at another scale from now on: the pixels are made anew, the window takes their size and
  // everything is drawn again at the next idle.
  void setScale(int32_t scaleHalves);
  int32_t getScaleHalves() const { return scaleHalves_; }
  // The window's pixels for the frame's coordinates, and back (the first pixel of a coordinate, the
  // coordinate a pixel lies in).
  int32_t toPixel(CCoord v) const;
  CCoord fromPixel(int32_t p) const;
  // The window's size in pixels: the frame's size times the scale, rounded up.
  int32_t pixelWidth() const { return (size.width() * scaleHalves_ + 1) / 2; }
  int32_t pixelHeight() const { return (size.height() * scaleHalves_ + 1) / 2; }

  AEffGUIEditor* getEditor() const { return editor_; }
  // Files dragged onto the window go to target (null: every drop is refused). Not owned.
  void setDropTarget(FileDropTarget* target) { dropTarget_ = target; }
  int32_t getKnobMode() const;
  CDrawContext* getDrawContext() { return context_.get(); }
  platform::EditorWindow* getPlatformWindow() const { return window_.get(); }

  void setBackground(CBitmap* background) override;
  void draw(CDrawContext* context) override;
  void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;
  bool isDirty() const override { return areaCount_ > 0; }

 private:
  static constexpr int32_t kMaxAreas = 64;

  void windowMouseDown(const platform::MouseState& state) override;
  void windowExposed(int32_t x, int32_t y, int32_t width, int32_t height) override;
  void windowKeyDown(const KeyEvent& key) override;
  void windowWheel(int32_t x, int32_t y, int32_t steps) override;
  void windowCloseRequested() override { closeRequested_ = true; }
  bool windowDragOver(const platform::FileDrag& drag, int32_t x, int32_t y) override;
  void windowDrop(const platform::FileDrag& drag, int32_t x, int32_t y) override;
  // The keyboard focus follows the modal view: taken for one that wants keys, given back after it.
  void modalChanged(CView* before);
  void addArea(const CRect& rect);
  void drawArea(const CRect& area);
  void present(const CRect& area);
  void presentPixels(CRect pixels);
  void allocatePixels();

  AEffGUIEditor* editor_;
  std::unique_ptr<platform::EditorWindow> window_;
  std::vector<uint32_t> pixels_;
  std::unique_ptr<CDrawContext> context_;
  std::vector<CView*> views_;
  CView* modalView_ = nullptr;
  FileDropTarget* dropTarget_ = nullptr;
  CRect areas_[kMaxAreas];
  int32_t areaCount_ = 0;
  bool dispatching_ = false;
  bool drawing_ = false;
  bool modalAbandoned_ = false;
  bool closeRequested_ = false;
  int32_t scaleHalves_ = 2;
};

}  // namespace tarnwick::gui
