// Option menu popup: list layout and drawing, and the modal mouse loop over the open lists.
#include "gui/OptionMenuPopup.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "gui/CFrame.h"
#include "gui/COffscreenContext.h"
#include "gui/COptionMenu.h"

namespace tarnwick::gui {

namespace {

constexpr CColor kListBack = {240, 240, 240, 255};
constexpr CColor kListBorder = {128, 128, 128, 255};
constexpr CColor kSeparator = {190, 190, 190, 255};
constexpr CColor kHover = {51, 102, 204, 255};
constexpr CColor kText = kBlackCColor;
constexpr CCoord kTextLeft = 20;
constexpr CCoord kTextRightMargin = 20;

CCoord rowHeight(const COptionMenu* menu, int32_t index) {
  return menu->isSeparator(index) ? kPopupSeparatorHeight : kPopupRowHeight;
}

CCoord listHeight(const COptionMenu* menu) { return popupRowTop(menu, menu->getNbEntries()) + kPopupBorder; }

CCoord listWidth(const COptionMenu* menu, CCoord minWidth) {
  COffscreenContext measure(nullptr, 1, 1);
  measure.setFont(kNormalFont);
  CCoord widest = 0;
  for (int32_t i = 0; i < menu->getNbEntries(); ++i) {
    if (!menu->isSeparator(i)) widest = std::max(widest, measure.getStringWidth(menu->getEntry(i)));
  }
  return std::max(minWidth, kTextLeft + widest + kTextRightMargin);
}

bool selectable(const COptionMenu* menu, int32_t index) {
  return index >= 0 && index < menu->getNbEntries() && !menu->isSeparator(index);
}

struct Level {
  COptionMenu* menu = nullptr;
  CRect rect;  // frame coordinates, as the backend placed the surface
  CCoord width = 0, height = 0;
  std::unique_ptr<platform::PopupSurface> surface;
  std::unique_ptr<COffscreenContext> image;
  int32_t hover = -1;
};

void drawCheck(COffscreenContext& ctx, CCoord top) {
  ctx.setLineWidth(2);
  ctx.moveTo(CPoint(6, top + 8));
  ctx.lineTo(CPoint(8, top + 11));
  ctx.lineTo(CPoint(13, top + 4));
  ctx.setLineWidth(1);
}

void drawArrow(COffscreenContext& ctx, CCoord right, CCoord top) {
  const CCoord x = right - 12, mid = top + kPopupRowHeight / 2 - 1;
  for (CCoord k = 0; k < 4; ++k) ctx.drawLine(CPoint(x + k, mid - (3 - k)), CPoint(x + k, mid + (3 - k)));
}

void drawLevel(Level& level) {
  COffscreenContext& ctx = *level.image;
  const CCoord w = level.width, h = level.height;
  ctx.clear(kListBack);
  ctx.setLineWidth(1);
  ctx.setFrameColor(kListBorder);
  ctx.drawRect(CRect(0, 0, w - 1, h - 1));
  ctx.setFont(kNormalFont);
  const COptionMenu* menu = level.menu;
  for (int32_t i = 0; i < menu->getNbEntries(); ++i) {
    const CCoord top = popupRowTop(menu, i);
    if (menu->isSeparator(i)) {
      ctx.setFrameColor(kSeparator);
      ctx.drawLine(CPoint(4, top + kPopupSeparatorHeight / 2), CPoint(w - 5, top + kPopupSeparatorHeight / 2));
      continue;
    }
    const bool hovered = i == level.hover;
    if (hovered) {
      ctx.setFillColor(kHover);
      ctx.fillRect(CRect(0, top - 1, w - 1, top + kPopupRowHeight));
    }
    const CColor ink = hovered ? kWhiteCColor : kText;
    ctx.setFontColor(ink);
    ctx.setFrameColor(ink);
    ctx.drawString(menu->getEntry(i), CRect(kTextLeft, top, w - kTextRightMargin, top + kPopupRowHeight), false,
                   kLeftText);
    if (menu->isCheckEntry(i)) drawCheck(ctx, top);
    if (menu->getSubMenu(i)) drawArrow(ctx, w, top);
  }
  if (level.surface) level.surface->present(ctx.getPixels(), ctx.getStride());
}

// Where a list goes: at (x, y), or with its right edge at altRight / its bottom at altBottom where the
// screen ends first (window coordinates).
struct Anchor {
  CCoord x, y, altRight, altBottom;
};

bool openLevel(CFrame* frame, std::vector<Level>& levels, COptionMenu* menu, const Anchor& anchor, CCoord minWidth) {
  Level level;
  level.menu = menu;
  const CCoord w = listWidth(menu, minWidth), h = listHeight(menu);
  // The surface lies in the window's pixels, as large as the list drawn at the frame's scale.
  level.image = std::make_unique<COffscreenContext>(nullptr, w, h, kListBack, frame->getScaleHalves());
  const int32_t pw = level.image->getWidth(), ph = level.image->getHeight();
  level.surface = frame->getPlatformWindow()->openPopup(
      platform::PopupPlace{frame->toPixel(anchor.x), frame->toPixel(anchor.y), pw, ph,
                           frame->toPixel(anchor.altRight) - pw, frame->toPixel(anchor.altBottom) - ph});
  if (!level.surface) return false;
  const CCoord x = frame->fromPixel(level.surface->x()), y = frame->fromPixel(level.surface->y());
  level.rect = CRect(x, y, x + w, y + h);
  level.width = w;
  level.height = h;
  drawLevel(level);
  levels.push_back(std::move(level));
  return true;
}

}  // namespace

CCoord popupRowTop(const COptionMenu* menu, int32_t index) {
  CCoord top = kPopupBorder;
  for (int32_t i = 0; i < index && i < menu->getNbEntries(); ++i) top += rowHeight(menu, i);
  return top;
}

int32_t popupRowAt(const COptionMenu* menu, CCoord y) {
  CCoord top = kPopupBorder;
  for (int32_t i = 0; i < menu->getNbEntries(); ++i) {
    const CCoord h = rowHeight(menu, i);
    if (y >= top && y < top + h) return i;
    top += h;
  }
  return -1;
}

OptionMenuPick runOptionMenuPopup(CFrame* frame, COptionMenu* menu, const CRect& control) {
  OptionMenuPick pick;
  if (frame == nullptr || frame->getPlatformWindow() == nullptr || menu == nullptr || menu->getNbEntries() == 0)
    return pick;
  std::vector<Level> levels;
  // Under the control, else above it.
  const CCoord rootRight = control.left + listWidth(menu, menu->getWidth());
  if (!openLevel(frame, levels, menu, Anchor{control.left, control.bottom, rootRight, control.top}, menu->getWidth()))
    return pick;

  constexpr int32_t kAnyButton = kLButton | kMButton | kRButton;
  int32_t previous = frame->getCurrentMouseButtons();
  // Only a release that ends a press made while the lists are open picks: the release of the click that
  // opened them never does, wherever they opened.
  bool pressedInLists = false;
  for (;;) {
    frame->doIdleStuff();
    if (frame->isModalAbandoned()) return pick;
    CPoint where;
    frame->getCurrentMouseLocation(where);
    const int32_t buttons = frame->getCurrentMouseButtons();

    int32_t hitLevel = -1, hitRow = -1;
    for (int32_t l = static_cast<int32_t>(levels.size()) - 1; l >= 0; --l) {
      if (levels[static_cast<size_t>(l)].rect.pointInside(where)) {
        hitLevel = l;
        hitRow = popupRowAt(levels[static_cast<size_t>(l)].menu, where.y - levels[static_cast<size_t>(l)].rect.top);
        break;
      }
    }
    if (hitLevel >= 0) {
      Level& level = levels[static_cast<size_t>(hitLevel)];
      const int32_t hover = selectable(level.menu, hitRow) ? hitRow : -1;
      if (hover != level.hover) {
        level.hover = hover;
        levels.resize(static_cast<size_t>(hitLevel) + 1);  // closes deeper lists
        drawLevel(levels.back());
        if (COptionMenu* sub = levels.back().menu->getSubMenu(hover); sub && sub->getNbEntries() > 0) {
          // Beside its entry: on the right, else on the left of the list, sharing the border column.
          const CRect& r = levels.back().rect;
          const CCoord top = r.top + popupRowTop(levels.back().menu, hover) - kPopupBorder;
          openLevel(frame, levels, sub, Anchor{r.right - 1, top, r.left + 1, top + listHeight(sub)}, 0);
        }
      }
    }
    const bool pressed = (buttons & kAnyButton) != 0, wasPressed = (previous & kAnyButton) != 0;
    previous = buttons;
    if (pressed && !wasPressed) {
      if (hitLevel < 0) return pick;
      pressedInLists = true;
    }
    if (!pressed && wasPressed && pressedInLists && hitLevel >= 0) {
      const Level& level = levels[static_cast<size_t>(hitLevel)];
      if (selectable(level.menu, hitRow) && level.menu->getSubMenu(hitRow) == nullptr) {
        pick.menu = level.menu;
        pick.index = hitRow;
        return pick;
      }
    }
  }
}

}  // namespace tarnwick::gui
