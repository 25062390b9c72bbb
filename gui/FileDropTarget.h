// Where the frame hands files dragged onto its window: the editor decides what a drop means.
#pragma once

#include "gui/CGeometry.h"
#include "platform/EditorWindow.h"

namespace tarnwick::gui {

using platform::FileDrag;

// [ui-thread] Points are frame coordinates.
class FileDropTarget {
 public:
  virtual ~FileDropTarget() = default;
  // Whether a drop of `drag` at `where` would be taken (the pointer shows it while the files are dragged).
  virtual bool acceptsDrop(const FileDrag& drag, const CPoint& where) = 0;
  // The files were dropped at `where`: taken, or refused with a word to the user.
  virtual void dropFiles(const FileDrag& drag, const CPoint& where) = 0;
};

}  // namespace tarnwick::gui
