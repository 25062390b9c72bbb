// Xlib loaded at run time: the plug-in loads and renders without X11 client libraries; only its editor
// window needs them.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tarnwick::platform::x11 {

// The Xlib functions the editor window backend calls, resolved from libX11.so.6. Members carry Xlib's own
// names so that calls read as they do in Xlib. XDestroyImage is a macro: images are freed through their own
// f.destroy_image, as the macro does.
struct XlibApi {
  decltype(&::XChangeProperty) XChangeProperty = nullptr;
  decltype(&::XCloseDisplay) XCloseDisplay = nullptr;
  decltype(&::XConvertSelection) XConvertSelection = nullptr;
  decltype(&::XCreateColormap) XCreateColormap = nullptr;
  decltype(&::XCreateGC) XCreateGC = nullptr;
  decltype(&::XCreateImage) XCreateImage = nullptr;
  decltype(&::XCreateWindow) XCreateWindow = nullptr;
  decltype(&::XDestroyWindow) XDestroyWindow = nullptr;
  decltype(&::XFlush) XFlush = nullptr;
  decltype(&::XFree) XFree = nullptr;
  decltype(&::XFreeColormap) XFreeColormap = nullptr;
  decltype(&::XFreeGC) XFreeGC = nullptr;
  decltype(&::XGetVisualInfo) XGetVisualInfo = nullptr;
  decltype(&::XGetInputFocus) XGetInputFocus = nullptr;
  decltype(&::XGetWindowAttributes) XGetWindowAttributes = nullptr;
  decltype(&::XGetWindowProperty) XGetWindowProperty = nullptr;
  decltype(&::XGrabKeyboard) XGrabKeyboard = nullptr;
  decltype(&::XGrabPointer) XGrabPointer = nullptr;
  decltype(&::XInternAtom) XInternAtom = nullptr;
  decltype(&::XListPixmapFormats) XListPixmapFormats = nullptr;
  decltype(&::XLookupKeysym) XLookupKeysym = nullptr;
  decltype(&::XLookupString) XLookupString = nullptr;
  decltype(&::XMapRaised) XMapRaised = nullptr;
  decltype(&::XMapWindow) XMapWindow = nullptr;
  decltype(&::XNextEvent) XNextEvent = nullptr;
  decltype(&::XPeekEvent) XPeekEvent = nullptr;
  decltype(&::XOpenDisplay) XOpenDisplay = nullptr;
  decltype(&::XPending) XPending = nullptr;
  decltype(&::XPutImage) XPutImage = nullptr;
  decltype(&::XQueryPointer) XQueryPointer = nullptr;
  decltype(&::XQueryTree) XQueryTree = nullptr;
  decltype(&::XRaiseWindow) XRaiseWindow = nullptr;
  decltype(&::XScreenNumberOfScreen) XScreenNumberOfScreen = nullptr;
  decltype(&::XSendEvent) XSendEvent = nullptr;
  decltype(&::XSetErrorHandler) XSetErrorHandler = nullptr;
  decltype(&::XSetInputFocus) XSetInputFocus = nullptr;
  decltype(&::XSetIOErrorHandler) XSetIOErrorHandler = nullptr;
  decltype(&::XSetWMNormalHints) XSetWMNormalHints = nullptr;
  decltype(&::XSync) XSync = nullptr;
  decltype(&::XTranslateCoordinates) XTranslateCoordinates = nullptr;
  decltype(&::XUngrabKeyboard) XUngrabKeyboard = nullptr;
  decltype(&::XUngrabPointer) XUngrabPointer = nullptr;

  // Optional: a window that cannot change its size keeps it (the editor then stays at its first scale).
  decltype(&::XResizeWindow) XResizeWindow = nullptr;

  // Optional: libX11 1.7 and later (declared here, as older headers lack it); null on older libraries.
  using IOErrorExitHandler = void (*)(Display* display, void* userData);
  void (*XSetIOErrorExitHandler)(Display* display, IOErrorExitHandler handler, void* userData) = nullptr;
};

// [any-thread] Opens libX11 and resolves the table, once per process (concurrent first calls wait for the
// one that loads). Null when the library cannot be loaded or lacks a function the backend needs; nothing
// of it is used then. The library stays open until the plug-in is unloaded.
const XlibApi* loadXlib();

// [any-thread] The table; loads it if needed. Only for code that runs after loadXlib() succeeded (every
// display of the backend was opened through it): on a failed load every function is null.
const XlibApi& xlib();

}  // namespace tarnwick::platform::x11
