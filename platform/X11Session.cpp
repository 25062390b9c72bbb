// The X11 backend's shared connection, image upload and visual choice.
#include "platform/X11Session.h"

#include <algorithm>
#include <cstddef>

#include "platform/X11Api.h"

namespace tarnwick::platform::x11 {

Session::~Session() {
  if (display == nullptr) return;
  ErrorTrap trap(display);
  if (ownsColormap && !connectionLost) xlib().XFreeColormap(display, colormap);
  xlib().XCloseDisplay(display);
}

Colormap Session::colormapFor(::Window sameScreen) {
  if (visual == DefaultVisual(display, screen)) return DefaultColormap(display, screen);
  if (!ownsColormap) {
    colormap = xlib().XCreateColormap(display, sameScreen, visual, AllocNone);
    ownsColormap = true;
  }
  return colormap;
}

bool Session::editorOrigin(int& x, int& y) const {
  ::Window child = 0;
  return window != 0 && xlib().XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child) != 0;
}

bool Image::init(Session& session, int32_t width, int32_t height) {
  release();
  image_ = xlib().XCreateImage(session.display, session.visual, static_cast<unsigned int>(session.depth), ZPixmap, 0,
                               nullptr, static_cast<unsigned int>(width), static_cast<unsigned int>(height), 32, 0);
  if (image_ == nullptr || image_->bytes_per_line <= 0) return false;
  data_.assign(static_cast<size_t>(image_->bytes_per_line) * static_cast<size_t>(height), 0);
  image_->data = reinterpret_cast<char*>(data_.data());
  width_ = width;
  height_ = height;
  return true;
}

void Image::release() {
  if (image_ == nullptr) return;
  image_->data = nullptr;           // ours, not Xlib's to free
  image_->f.destroy_image(image_);  // what Xlib's XDestroyImage macro expands to
  image_ = nullptr;
}

void Image::put(Session& session, Drawable target, GC gc, const uint32_t* pixels, int32_t stride, int32_t x, int32_t y,
                int32_t w, int32_t h) {
  const int32_t x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int32_t x1 = std::min(x + w, width_), y1 = std::min(y + h, height_);
  if (image_ == nullptr || pixels == nullptr || x0 >= x1 || y0 >= y1) return;
  const bool msbFirst = image_->byte_order == MSBFirst;
  const int bytes = session.layout.bytesPerPixel();
  for (int32_t row = y0; row < y1; ++row) {
    session.layout.encodeRow(
        pixels + static_cast<ptrdiff_t>(row) * stride + x0, x1 - x0,
        data_.data() + static_cast<ptrdiff_t>(row) * image_->bytes_per_line + static_cast<ptrdiff_t>(x0) * bytes,
        msbFirst);
  }
  xlib().XPutImage(session.display, target, gc, image_, x0, y0, x0, y0, static_cast<unsigned int>(x1 - x0),
                   static_cast<unsigned int>(y1 - y0));
}

GC makeGC(Display* display, Drawable drawable) {
  XGCValues values{};
  values.graphics_exposures = False;
  return xlib().XCreateGC(display, drawable, GCGraphicsExposures, &values);
}

namespace {

bool bitsPerPixelFor(Display* display, int depth, int& bitsPerPixel) {
  int count = 0;
  XPixmapFormatValues* formats = xlib().XListPixmapFormats(display, &count);
  bool found = false;
  for (int i = 0; formats != nullptr && i < count && !found; ++i) {
    if (formats[i].depth == depth) {
      bitsPerPixel = formats[i].bits_per_pixel;
      found = true;
    }
  }
  if (formats != nullptr) xlib().XFree(formats);
  return found;
}

}  // namespace

bool layoutFor(Display* display, const Visual* visual, int depth, PixelLayout& layout) {
  int bitsPerPixel = 0;
  return visual != nullptr && visual->c_class == TrueColor && bitsPerPixelFor(display, depth, bitsPerPixel) &&
         layout.init(static_cast<uint32_t>(visual->red_mask), static_cast<uint32_t>(visual->green_mask),
                     static_cast<uint32_t>(visual->blue_mask), depth, bitsPerPixel);
}

bool fallbackVisual(Session& s) {
  XVisualInfo wanted{};
  wanted.screen = s.screen;
  wanted.c_class = TrueColor;
  int count = 0;
  XVisualInfo* infos = xlib().XGetVisualInfo(s.display, VisualScreenMask | VisualClassMask, &wanted, &count);
  const XVisualInfo* best = nullptr;
  for (int i = 0; infos != nullptr && i < count; ++i) {
    PixelLayout probe;
    if (!layoutFor(s.display, infos[i].visual, infos[i].depth, probe)) continue;
    if (best == nullptr || (infos[i].depth == 24 && best->depth != 24) ||
        (best->depth != 24 && infos[i].depth > best->depth)) {
      best = &infos[i];
      s.layout = probe;
    }
  }
  if (best != nullptr) {
    s.visual = best->visual;
    s.depth = best->depth;
  }
  if (infos != nullptr) xlib().XFree(infos);
  return best != nullptr;
}

}  // namespace tarnwick::platform::x11
