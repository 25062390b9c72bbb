// The file browser's drawing: title, folder path, the list with its scroll bar, filters, name field and
// buttons.
#include <algorithm>
#include <string>

#include "gui/CFileBrowser.h"
#include "gui/DialogColors.h"
#include "gui/Utf8.h"

namespace tarnwick::gui {

namespace {

using dialog::kPanel;
constexpr CColor kBorder = {128, 128, 128, 255};
using dialog::kDim;
constexpr CColor kSelected = {51, 102, 204, 255};
constexpr CColor kFolderIcon = {214, 170, 60, 255};
using dialog::kButton;
constexpr CColor kTrack = {215, 215, 215, 255};
constexpr CColor kThumb = {160, 160, 160, 255};
constexpr CColor kNotice = {176, 32, 32, 255};
constexpr CCoord kRowTextLeft = 22;

// Fills exactly the pixels of r.
void fill(CDrawContext* ctx, const CRect& r, const CColor& color) {
  ctx->setFillColor(color);
  ctx->fillRect(CRect(r.left - 1, r.top - 1, r.right, r.bottom));
}

// Strokes the outermost pixels of r.
void outline(CDrawContext* ctx, const CRect& r, const CColor& color) {
  ctx->setFrameColor(color);
  ctx->drawRect(CRect(r.left, r.top, r.right - 1, r.bottom - 1));
}

void text(CDrawContext* ctx, const std::string& string, const CRect& r, const CColor& color,
          CHoriTxtAlign align = kLeftText) {
  ctx->setFontColor(color);
  ctx->drawString(string.c_str(), r, false, align);
}

// The end of the text that fits the width, after "..." when `dots` (the start of a path matters least).
std::string fitTail(CDrawContext* ctx, const std::string& string, CCoord width, bool dots) {
  if (ctx->getStringWidth(string.c_str()) <= width) return string;
  const std::string prefix = dots ? "..." : "";
  for (const char* p = string.c_str(); *p;) {
    nextCodePoint(p);
    const std::string candidate = prefix + p;
    if (ctx->getStringWidth(candidate.c_str()) <= width) return candidate;
  }
  return prefix;
}

void drawIcon(CDrawContext* ctx, const CRect& row, FolderEntry::Kind kind, const CColor& ink) {
  const CCoord x = row.left + 4, y = row.top + 3;
  if (kind == FolderEntry::Kind::kFile) {
    outline(ctx, CRect(x + 2, y, x + 12, y + 12), ink);
    return;
  }
  fill(ctx, CRect(x, y + 1, x + 6, y + 3), kFolderIcon);
  fill(ctx, CRect(x, y + 3, x + 14, y + 12), kFolderIcon);
}

void drawArrow(CDrawContext* ctx, const CRect& r, bool up) {
  ctx->setFrameColor(kDim);
  const CCoord cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  for (CCoord k = 0; k < 4; ++k) {
    const CCoord y = up ? cy - 2 + k : cy + 1 - k;
    ctx->drawLine(CPoint(cx - k, y), CPoint(cx + k, y));
  }
}

void drawButton(CDrawContext* ctx, const CRect& r, const char* label, bool isDefault) {
  fill(ctx, r, kButton);
  outline(ctx, r, kDim);
  if (isDefault) outline(ctx, CRect(r).inset(1, 1), kDim);
  ctx->setFont(kNormalFont);
  text(ctx, label, r, kBlackCColor, kCenterText);
}

}  // namespace

void CFileBrowser::draw(CDrawContext* context) {
  const Layout l = layout();
  fill(context, size, kPanel);
  outline(context, size, kBorder);
  context->setFont(kNormalFontBig, 0, kBoldFace);
  text(context, fitTail(context, request_.title, l.title.width(), true), l.title, kBlackCColor);
  const std::string note = !notice_.empty() ? notice_ : (!info_.empty() ? info_ : listingNote());
  if (!note.empty()) {
    // On the title's line, right of the title.
    const CCoord titleWidth = context->getStringWidth(request_.title.c_str());
    context->setFont(kNormalFontSmall);
    const CRect room(std::min(l.title.left + titleWidth + 16, l.title.right), l.title.top, l.title.right,
                     l.title.bottom);
    text(context, fitTail(context, note, room.width(), true), room, notice_.empty() ? kDim : kNotice, kRightText);
  }
  context->setFont(kNormalFontSmall);
  text(context, fitTail(context, folder_, l.folder.width(), true), l.folder, kDim);
  drawList(context, l);
  drawScrollBar(context, l);
  drawControls(context, l);
  setDirty(false);
}

void CFileBrowser::drawList(CDrawContext* context, const Layout& l) {
  fill(context, l.list, kWhiteCColor);
  outline(context, l.list, kBorder);
  context->setFont(kNormalFont);
  for (int32_t i = top_; i < entryCount(); ++i) {
    const CRect row = rowRect(i);
    if (row.isEmpty()) break;
    const bool selected = i == selected_;
    if (selected) fill(context, row, kSelected);
    const CColor ink = selected ? kWhiteCColor : kBlackCColor;
    drawIcon(context, row, entry(i).kind, ink);
    const CRect nameRect(row.left + kRowTextLeft, row.top, row.right - 4, row.bottom);
    text(context, entry(i).name, nameRect, ink);
  }
  const bool empty = entryCount() == 0 || (entryCount() == 1 && entry(0).kind == FolderEntry::Kind::kParent);
  if (empty) {
    const CCoord top = l.rows.top + (entryCount() > 0 ? 18 : 0) + 6;
    context->setFont(kNormalFontSmall);
    text(context, listing_.readable ? "No matching files here." : "This folder cannot be read.",
         CRect(l.rows.left + kRowTextLeft, top, l.rows.right - 4, top + 18), kDim);
  }
}

void CFileBrowser::drawScrollBar(CDrawContext* context, const Layout& l) {
  fill(context, l.track, kTrack);
  fill(context, l.scrollUp, kButton);
  fill(context, l.scrollDown, kButton);
  outline(context, l.scrollUp, kBorder);
  outline(context, l.scrollDown, kBorder);
  drawArrow(context, l.scrollUp, true);
  drawArrow(context, l.scrollDown, false);
  fill(context, thumbRect(l), kThumb);
}

void CFileBrowser::drawControls(CDrawContext* context, const Layout& l) {
  context->setFont(kNormalFontSmall);
  for (size_t i = 0; i < l.filters.size(); ++i) {
    const CRect& chip = l.filters[i];
    if (chip.isEmpty()) continue;
    const bool current = static_cast<int32_t>(i) == filter_;
    fill(context, chip, current ? kSelected : kButton);
    outline(context, chip, kDim);
    text(context, request_.filters[i].name, CRect(chip).inset(4, 0), current ? kWhiteCColor : kBlackCColor,
         kCenterText);
  }
  if (request_.save) {
    context->setFont(kNormalFont);
    text(context, "Name:", l.nameLabel, kBlackCColor);
    fill(context, l.name, kWhiteCColor);
    outline(context, l.name, selected_ < 0 ? kSelected : kBorder);
    drawNameField(context, CRect(l.name).inset(4, 0), l.name);
  }
  drawButton(context, l.ok, request_.save ? "Save" : "Open", true);
  drawButton(context, l.cancel, "Cancel", false);
}

void CFileBrowser::drawNameField(CDrawContext* context, const CRect& inner, const CRect& field) {
  // The name from the first code point that keeps the caret in view.
  const std::string& name = field_.text();
  const size_t caret = field_.caret();
  size_t from = 0;
  while (from < caret && context->getStringWidth(name.substr(from, caret - from).c_str()) > inner.width() - 3) {
    const char* p = name.c_str() + from;
    nextCodePoint(p);
    from = static_cast<size_t>(p - name.c_str());
  }
  const std::string shown = name.substr(from);
  if (field_.allSelected()) {
    const CCoord width = std::min(context->getStringWidth(shown.c_str()), inner.width());
    fill(context, CRect(inner.left, field.top + 3, inner.left + width + 1, field.bottom - 3), kSelected);
    text(context, shown, inner, kWhiteCColor);
    return;
  }
  text(context, shown, inner, kBlackCColor);
  const CCoord x = inner.left + context->getStringWidth(name.substr(from, caret - from).c_str()) + 1;
  context->setFrameColor(kBlackCColor);
  context->drawLine(CPoint(x, field.top + 4), CPoint(x, field.bottom - 5));
}

}  // namespace tarnwick::gui
