// Message box contents: text wrapping, layout, drawing and the answer by mouse or key.
#include "gui/CMessageView.h"

#include <algorithm>
#include <utility>

#include "gui/CFrame.h"
#include "gui/COffscreenContext.h"
#include "gui/DialogColors.h"
#include "gui/Utf8.h"

namespace tarnwick::gui {

namespace {

constexpr CCoord kWidth = 440;
constexpr CCoord kPad = 16;
constexpr CCoord kTitleHeight = 22;
constexpr CCoord kLineHeight = 16;
constexpr CCoord kButtonWidth = 80;
constexpr CCoord kButtonHeight = 24;
constexpr size_t kMaxLines = 30;
using dialog::kButton;
using dialog::kPanel;
constexpr CColor kPressed = {190, 190, 190, 255};
using dialog::kDim;

// Appends as much of the word as fits a line at a time (a word wider than a line).
void breakWord(const CDrawContext& measure, const std::string& word, CCoord width, std::vector<std::string>& lines,
               std::string& line) {
  for (const char* p = word.c_str(); *p;) {
    const char* start = p;
    nextCodePoint(p);
    const std::string piece(start, p);
    if (!line.empty() && measure.getStringWidth((line + piece).c_str()) > width) {
      lines.push_back(line);
      line.clear();
    }
    line += piece;
  }
}

}  // namespace

std::vector<std::string> CMessageView::wrap(const std::string& text, CCoord width) {
  std::vector<std::string> lines;
  COffscreenContext measure(nullptr, 1, 1);
  measure.setFont(kNormalFont);
  size_t begin = 0;
  while (begin <= text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string paragraph = text.substr(begin, end - begin);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.pop_back();
    std::string line;
    size_t at = 0;
    bool any = false;
    while (at <= paragraph.size()) {
      size_t space = paragraph.find(' ', at);
      if (space == std::string::npos) space = paragraph.size();
      const std::string word = paragraph.substr(at, space - at);
      at = space + 1;
      if (word.empty() && any) continue;  // runs of spaces
      any = true;
      const std::string joined = line.empty() ? word : line + " " + word;
      if (measure.getStringWidth(joined.c_str()) <= width) {
        line = joined;
      } else {
        if (!line.empty()) lines.push_back(line);
        line.clear();
        breakWord(measure, word, width, lines, line);
      }
    }
    lines.push_back(line);
    begin = end + 1;
  }
  return lines;
}

CPoint CMessageView::sizeFor(const char* /*title*/, const char* text) {
  const size_t lines = std::min(wrap(text ? text : "", kWidth - 2 * kPad).size(), kMaxLines);
  const CCoord height = kPad + kTitleHeight + 8 + static_cast<CCoord>(lines) * kLineHeight + 16 + kButtonHeight + kPad;
  return CPoint(kWidth, height);
}

CRect CMessageView::buttonRect(const CRect& size, Buttons buttons, Answer which) {
  const CRect right(size.right - kPad - kButtonWidth, size.bottom - kPad - kButtonHeight, size.right - kPad,
                    size.bottom - kPad);
  CRect left = right;
  left.offset(-(kButtonWidth + 8), 0);
  if (buttons == Buttons::kOk) return which == Answer::kOk ? right : CRect();
  if (which == Answer::kYes) return left;
  return which == Answer::kNo ? right : CRect();
}

CMessageView::CMessageView(const CRect& rect, std::string title, std::string text, Buttons buttons)
    : CView(rect), title_(std::move(title)), buttons_(buttons) {
  lines_ = wrap(text, rect.width() - 2 * kPad);
  if (lines_.size() > kMaxLines) {
    lines_.resize(kMaxLines);
    lines_.back() = "...";
  }
}

void CMessageView::draw(CDrawContext* ctx) {
  ctx->setFillColor(kPanel);
  ctx->fillRect(CRect(size.left - 1, size.top - 1, size.right, size.bottom));
  ctx->setFont(kNormalFontBig, 0, kBoldFace);
  ctx->setFontColor(kBlackCColor);
  ctx->drawString(title_.c_str(), CRect(size.left + kPad, size.top + kPad, size.right - kPad, size.top + kPad + 18),
                  false, kLeftText);
  ctx->setFont(kNormalFont);
  CCoord y = size.top + kPad + kTitleHeight + 8;
  for (const std::string& line : lines_) {
    ctx->drawString(line.c_str(), CRect(size.left + kPad, y, size.right - kPad, y + kLineHeight), false, kLeftText);
    y += kLineHeight;
  }
  for (const Answer which : {Answer::kOk, Answer::kYes, Answer::kNo}) {
    const CRect r = buttonRect(size, buttons_, which);
    if (r.isEmpty()) continue;
    ctx->setFillColor(pressed_ == which ? kPressed : kButton);
    ctx->fillRect(CRect(r.left - 1, r.top - 1, r.right, r.bottom));
    ctx->setFrameColor(kDim);
    ctx->drawRect(CRect(r.left, r.top, r.right - 1, r.bottom - 1));
    if (which != Answer::kNo) ctx->drawRect(CRect(r.left + 1, r.top + 1, r.right - 2, r.bottom - 2));  // default
    const char* label = which == Answer::kOk ? "OK" : which == Answer::kYes ? "Yes" : "No";
    ctx->drawString(label, r, false, kCenterText);
  }
  setDirty(false);
}

void CMessageView::mouse(CDrawContext* /*context*/, CPoint& where, int32_t buttons) {
  CFrame* frame = getFrame();
  if (buttons == -1 && frame != nullptr) buttons = frame->getCurrentMouseButtons();
  if (answer_ || (buttons & kLButton) == 0) return;
  for (const Answer which : {Answer::kOk, Answer::kYes, Answer::kNo}) {
    const CRect r = buttonRect(size, buttons_, which);
    if (r.isEmpty() || !r.pointInside(where)) continue;
    // Held down until the release: answered when released over the button.
    pressed_ = which;
    setDirty(true);
    CPoint at = where;
    while (frame != nullptr && (frame->getCurrentMouseButtons() & kLButton) != 0) {
      frame->doIdleStuff();
      frame->getCurrentMouseLocation(at);
      const std::optional<Answer> over = r.pointInside(at) ? std::optional<Answer>(which) : std::nullopt;
      if (over != pressed_) {
        pressed_ = over;
        setDirty(true);
      }
    }
    if (frame == nullptr || (r.pointInside(at) && !frame->isModalAbandoned())) answer_ = which;
    pressed_.reset();
    setDirty(true);
    return;
  }
}

bool CMessageView::onKeyDown(const KeyEvent& key) {
  if (answer_) return false;
  const bool yesNo = buttons_ == Buttons::kYesNo;
  switch (key.virtualKey) {
    case platform::kKeyReturn:
    case platform::kKeyEnter: answer_ = yesNo ? Answer::kYes : Answer::kOk; return true;
    case platform::kKeyEscape: answer_ = dismissal(); return true;
    default: break;
  }
  if (yesNo && (key.character == 'y' || key.character == 'Y')) answer_ = Answer::kYes;
  if (yesNo && (key.character == 'n' || key.character == 'N')) answer_ = Answer::kNo;
  return answer_.has_value();
}

}  // namespace tarnwick::gui
