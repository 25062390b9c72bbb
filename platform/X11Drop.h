// The drop target side of the XDND protocol (version 5) for the X11 editor window: files dragged from
// another program (a file manager) onto the editor.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>

#include "platform/EditorWindow.h"

namespace tarnwick::platform::x11 {

struct Session;

// [ui-thread] The source finds the window through its XdndAware property; then, in turn: XdndEnter (the
// types offered), XdndPosition (answered with XdndStatus: accepted with the copy action, or refused with
// none), XdndLeave or XdndDrop (answered with XdndFinished). The dragged text/uri-list is fetched once per
// drag, at the first position, by converting XdndSelection; the position waits for its answer until the
// data is there, so the listener always decides on the files themselves.
class XdndTarget {
 public:
  enum class Result { notMine, handled, dropped };

  // Interns the protocol's atoms and marks the window as a drop target.
  void attach(Session& session);
  // A ClientMessage of the protocol or the SelectionNotify of our request; other events are notMine.
  // listener answers windowDragOver; null in modal passes, where every position and drop is refused.
  // dropped: the source was told the drop is done; drag(), dropX() and dropY() tell what and where.
  Result handle(Session& session, const XEvent& event, EditorWindowListener* listener);

  const FileDrag& drag() const { return drag_; }
  int32_t dropX() const { return x_; }
  int32_t dropY() const { return y_; }

 private:
  void reset();
  bool offersUriList(Session& session, const XClientMessageEvent& enter);
  void readData(Session& session, const XSelectionEvent& notify);
  // Answers the last position (asks the listener when there is one).
  void answerPosition(Session& session, EditorWindowListener* listener);
  // Tells the source the drop is over; with the listener's answer at the drop's place.
  Result finishDrop(Session& session, EditorWindowListener* listener);
  void send(Session& session, Atom type, long l1, long l2, long l3, long l4);
  bool toWindow(Session& session, long packedRoot);

  Atom aware_ = 0, enter_ = 0, position_ = 0, status_ = 0, leave_ = 0, drop_ = 0, finished_ = 0;
  Atom selection_ = 0, typeList_ = 0, uriList_ = 0, actionCopy_ = 0, property_ = 0;
  std::string localHost_;

  ::Window source_ = 0;     // the drag under way; 0 for none
  ::Window addressed_ = 0;  // the window its messages name (a proxy's owner, or ours)
  int version_ = 0;
  bool uriListOffered_ = false;
  bool requested_ = false;  // the conversion was asked for
  bool haveData_ = false;
  bool positionWaiting_ = false;
  bool dropWaiting_ = false;
  FileDrag drag_;
  int32_t x_ = 0, y_ = 0;
};

}  // namespace tarnwick::platform::x11
