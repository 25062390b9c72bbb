// Offscreen editor window: presented pixels kept in memory, the mouse and keys driven by a queued script.
#include "platform/OffscreenWindow.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace tarnwick::platform {

class OffscreenWindow::Surface : public PopupSurface {
 public:
  Surface(OffscreenWindow& window, int32_t x, int32_t y, int32_t w, int32_t h) : window_(window) {
    popup_.x = x;
    popup_.y = y;
    popup_.width = w;
    popup_.height = h;
    popup_.pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0u);
    window_.popups_.push_back(&popup_);
    window_.mostPopups_ = std::max(window_.mostPopups_, window_.popups_.size());
  }
  ~Surface() override {
    auto& list = window_.popups_;
    list.erase(std::remove(list.begin(), list.end(), &popup_), list.end());
  }
  int32_t x() const override { return popup_.x; }
  int32_t y() const override { return popup_.y; }
  int32_t width() const override { return popup_.width; }
  int32_t height() const override { return popup_.height; }
  void present(const uint32_t* pixels, int32_t stride) override {
    if (pixels == nullptr) return;
    for (int32_t row = 0; row < popup_.height; ++row) {
      std::copy(pixels + static_cast<ptrdiff_t>(row) * stride,
                pixels + static_cast<ptrdiff_t>(row) * stride + popup_.width,
                popup_.pixels.begin() + static_cast<ptrdiff_t>(row) * popup_.width);
    }
  }

 private:
  OffscreenWindow& window_;
  Popup popup_;
};

OffscreenWindow::OffscreenWindow(int32_t width, int32_t height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      screen_(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0u) {}

OffscreenWindow::~OffscreenWindow() = default;

void OffscreenWindow::resize(int32_t width, int32_t height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  screen_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0u);
}

void OffscreenWindow::present(const uint32_t* pixels, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (pixels == nullptr) return;
  const int32_t x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int32_t x1 = std::min(x + w, width_), y1 = std::min(y + h, height_);
  for (int32_t row = y0; row < y1; ++row) {
    for (int32_t col = x0; col < x1; ++col) {
      screen_[static_cast<size_t>(row) * width_ + col] = pixels[static_cast<ptrdiff_t>(row) * stride + col];
    }
  }
  ++presentCount_;
}

void OffscreenWindow::dispatchEvents() {
  while (!script_.empty()) {
    const Entry next = script_.front();
    script_.pop_front();
    if (next.isKey) {
      if (listener_) listener_->windowKeyDown(next.key);
      continue;
    }
    if (next.isDrop) {
      if (listener_) listener_->windowDrop(next.drag, next.mouse.x, next.mouse.y);
      continue;
    }
    const bool newPress = (next.mouse.buttons & kMouseButtonBits & ~mouse_.buttons) != 0;
    mouse_ = next.mouse;
    if (newPress && listener_) listener_->windowMouseDown(next.mouse);
  }
}

bool OffscreenWindow::pumpModal() {
  if (!script_.empty()) {
    const Entry next = script_.front();
    script_.pop_front();
    if (!next.isKey && !next.isDrop) mouse_ = next.mouse;
    return !(next.isKey && next.key.virtualKey == kKeyEscape);
  }
  if ((mouse_.buttons & kMouseButtonBits) != 0) {
    mouse_.buttons = 0;
    return true;
  }
  return false;
}

std::unique_ptr<PopupSurface> OffscreenWindow::openPopup(const PopupPlace& place) {
  const int32_t width = place.width, height = place.height;
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
  int32_t x = place.x, y = place.y;
  if (onScreen_) {
    placePopup(place, screenPlace_.x, screenPlace_.y, 0, 0, screenPlace_.width, screenPlace_.height, x, y);
    x -= screenPlace_.x;
    y -= screenPlace_.y;
  }
  return std::make_unique<Surface>(*this, x, y, width, height);
}

void OffscreenWindow::queueMouse(int32_t x, int32_t y, int32_t buttons) {
  Entry entry;
  entry.mouse = {x, y, buttons};
  script_.push_back(std::move(entry));
}

void OffscreenWindow::queueKey(int32_t character, int32_t virtualKey, int32_t modifiers) {
  Entry entry;
  entry.isKey = true;
  entry.mouse = mouse_;
  entry.key = {character, virtualKey, modifiers};
  script_.push_back(std::move(entry));
}

void OffscreenWindow::queueDrop(const FileDrag& drag, int32_t x, int32_t y) {
  Entry entry;
  entry.mouse = {x, y, mouse_.buttons};
  entry.isDrop = true;
  entry.drag = drag;
  script_.push_back(std::move(entry));
}

uint32_t OffscreenWindow::pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return screen_[static_cast<size_t>(y) * width_ + x];
}

void OffscreenWindow::exposeAll() {
  if (listener_) listener_->windowExposed(0, 0, width_, height_);
}

uint32_t OffscreenWindow::Popup::pixel(int32_t px, int32_t py) const {
  if (px < 0 || py < 0 || px >= width || py >= height) return 0;
  return pixels[static_cast<size_t>(py) * width + px];
}

}  // namespace tarnwick::platform
