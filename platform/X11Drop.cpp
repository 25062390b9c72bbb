// XDND drop target: the protocol's client messages, the uri-list fetched through the XdndSelection.
#include "platform/X11Drop.h"

#include <unistd.h>

#include <X11/Xatom.h>

#include <cstring>

#include "platform/UriList.h"
#include "platform/X11Api.h"
#include "platform/X11Session.h"

namespace tarnwick::platform::x11 {

namespace {

constexpr long kXdndVersion = 5;
constexpr long kLongestList = 256 * 1024;  // in 32-bit units: a uri-list of up to 1 MiB
constexpr long kLongestTypeList = 1024;

std::string hostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return std::string();
  return name;
}

}  // namespace

void XdndTarget::attach(Session& s) {
  const XlibApi& x = xlib();
  aware_ = x.XInternAtom(s.display, "XdndAware", False);
  enter_ = x.XInternAtom(s.display, "XdndEnter", False);
  position_ = x.XInternAtom(s.display, "XdndPosition", False);
  status_ = x.XInternAtom(s.display, "XdndStatus", False);
  leave_ = x.XInternAtom(s.display, "XdndLeave", False);
  drop_ = x.XInternAtom(s.display, "XdndDrop", False);
  finished_ = x.XInternAtom(s.display, "XdndFinished", False);
  selection_ = x.XInternAtom(s.display, "XdndSelection", False);
  typeList_ = x.XInternAtom(s.display, "XdndTypeList", False);
  uriList_ = x.XInternAtom(s.display, "text/uri-list", False);
  actionCopy_ = x.XInternAtom(s.display, "XdndActionCopy", False);
  property_ = x.XInternAtom(s.display, "TARNWICK_DROP", False);
  localHost_ = hostName();
  const long version = kXdndVersion;
  x.XChangeProperty(s.display, s.window, aware_, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
}

void XdndTarget::reset() {
  source_ = 0;
  version_ = 0;
  uriListOffered_ = requested_ = haveData_ = positionWaiting_ = dropWaiting_ = false;
  drag_ = FileDrag();
}

XdndTarget::Result XdndTarget::handle(Session& s, const XEvent& event, EditorWindowListener* listener) {
  if (aware_ == 0 || s.window == 0) return Result::notMine;
  if (event.type == SelectionNotify) {
    const XSelectionEvent& e = event.xselection;
    if (e.requestor != s.window || e.selection != selection_ || !requested_ || haveData_) return Result::notMine;
    readData(s, e);
    if (positionWaiting_) answerPosition(s, listener);
    if (dropWaiting_) return finishDrop(s, listener);
    return Result::handled;
  }
  if (event.type != ClientMessage || event.xclient.format != 32) return Result::notMine;
  const XClientMessageEvent& e = event.xclient;
  const auto from = static_cast<::Window>(e.data.l[0]);
  if (e.message_type == enter_) {
    reset();
    source_ = from;
    // The window the source addressed: ours, or the host's window whose XdndProxy names ours. Answers
    // name it, or the source takes them for someone else's.
    addressed_ = e.window;
    version_ = static_cast<int>((static_cast<unsigned long>(e.data.l[1]) >> 24) & 0xFFu);
    uriListOffered_ = offersUriList(s, e);
    return Result::handled;
  }
  if (e.message_type != position_ && e.message_type != leave_ && e.message_type != drop_) return Result::notMine;
  if (source_ == 0 || from != source_) return Result::handled;  // not the drag under way
  if (e.message_type == leave_) {
    reset();
    return Result::handled;
  }
  const bool modal = listener == nullptr;
  const Time time = version_ >= 1 ? static_cast<Time>(e.data.l[e.message_type == drop_ ? 2 : 3]) : CurrentTime;
  if (e.message_type == position_) {
    if (!toWindow(s, e.data.l[2])) return Result::handled;
    positionWaiting_ = true;
  } else {
    dropWaiting_ = true;
  }
  // The files are read once per drag, outside modal passes (which refuse anyway).
  if (uriListOffered_ && !requested_ && !modal) {
    xlib().XConvertSelection(s.display, selection_, uriList_, property_, s.window, time);
    xlib().XFlush(s.display);
    requested_ = true;
  }
  if (requested_ && !haveData_ && !modal) return Result::handled;  // answered once the data is there
  if (positionWaiting_) answerPosition(s, listener);
  if (dropWaiting_) return finishDrop(s, listener);
  return Result::handled;
}

bool XdndTarget::offersUriList(Session& s, const XClientMessageEvent& enter) {
  if ((enter.data.l[1] & 1) == 0) {
    for (int i = 2; i <= 4; ++i) {
      if (static_cast<Atom>(enter.data.l[i]) == uriList_) return true;
    }
    return false;
  }
  // More than three types: the list is on the source's window.
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool found = false;
  if (xlib().XGetWindowProperty(s.display, source_, typeList_, 0, kLongestTypeList, False, XA_ATOM, &type, &format,
                                &count, &after, &data) == Success &&
      data != nullptr && format == 32) {
    const auto* atoms = reinterpret_cast<const long*>(data);  // format 32 items are longs on the client side
    for (unsigned long i = 0; i < count && !found; ++i) found = static_cast<Atom>(atoms[i]) == uriList_;
  }
  if (data != nullptr) xlib().XFree(data);
  return found;
}

void XdndTarget::readData(Session& s, const XSelectionEvent& notify) {
  haveData_ = true;
  drag_ = FileDrag();
  if (notify.property == None) return;  // the source could not give a uri-list
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (xlib().XGetWindowProperty(s.display, s.window, notify.property, 0, kLongestList, True, AnyPropertyType, &type,
                                &format, &count, &after, &data) == Success &&
      data != nullptr && format == 8 && after == 0) {
    drag_ = fileDragFromUriList(std::string_view(reinterpret_cast<const char*>(data), count), localHost_);
  }
  if (data != nullptr) xlib().XFree(data);
}

void XdndTarget::answerPosition(Session& s, EditorWindowListener* listener) {
  positionWaiting_ = false;
  const bool accept = listener != nullptr && haveData_ && listener->windowDragOver(drag_, x_, y_);
  // Bit 1: positions are wanted everywhere (the answer depends on the place); no rectangle to skip.
  send(s, status_, (accept ? 1 : 0) | 2, 0, 0, accept ? static_cast<long>(actionCopy_) : None);
}

XdndTarget::Result XdndTarget::finishDrop(Session& s, EditorWindowListener* listener) {
  dropWaiting_ = false;
  const bool take = listener != nullptr && haveData_;
  const bool accept = take && listener->windowDragOver(drag_, x_, y_);
  // Told before the listener acts, so the source does not wait through a load or its questions.
  send(s, finished_, accept ? 1 : 0, accept ? static_cast<long>(actionCopy_) : None, 0, 0);
  const bool deliver = take;
  source_ = 0;
  requested_ = haveData_ = false;
  return deliver ? Result::dropped : Result::handled;
}

void XdndTarget::send(Session& s, Atom type, long l1, long l2, long l3, long l4) {
  XEvent event;
  std::memset(&event, 0, sizeof event);
  XClientMessageEvent& m = event.xclient;
  m.type = ClientMessage;
  m.display = s.display;
  m.window = source_;
  m.message_type = type;
  m.format = 32;
  m.data.l[0] = static_cast<long>(addressed_ != 0 ? addressed_ : s.window);
  m.data.l[1] = l1;
  m.data.l[2] = l2;
  m.data.l[3] = l3;
  m.data.l[4] = l4;
  xlib().XSendEvent(s.display, source_, False, NoEventMask, &event);
  xlib().XFlush(s.display);
}

bool XdndTarget::toWindow(Session& s, long packedRoot) {
  int originX = 0, originY = 0;
  if (!s.editorOrigin(originX, originY)) return false;
  const auto packed = static_cast<unsigned long>(packedRoot);
  x_ = static_cast<int32_t>((packed >> 16) & 0xFFFFu) - originX;
  y_ = static_cast<int32_t>(packed & 0xFFFFu) - originY;
  return true;
}

}  // namespace tarnwick::platform::x11
