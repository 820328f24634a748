#include "ui/custom_controls.h"

#include "framework/attribute_parsing.h"
#include "framework/window.h"

namespace qv::ui {

using namespace qv::framework;

ControlPtr createCustomControl(std::string_view n) {
  if (sameName(n, "Pagination")) return std::make_unique<CPaginationUI>();
  if (sameName(n, "FileTree")) return std::make_unique<CFileTreeUI>();
  if (sameName(n, "DiskList")) return std::make_unique<CDiskListUI>();
  if (sameName(n, "ButtonEx")) return std::make_unique<CButtonExUI>();
  if (sameName(n, "ButtonGif")) return std::make_unique<CButtonGifUI>();
  if (sameName(n, "LabelEx")) return std::make_unique<CLabelExUI>();
  return nullptr;
}

// ------------------------------------------------------------------------------------ FileTree

CFileTreeUI::CFileTreeUI() : TreeView("FileTree") {}

bool CFileTreeUI::isA(std::string_view n) const {
  return sameName(n, "FileTree") || TreeView::isA(n);
}

// ----------------------------------------------------------------------------------- ButtonGif

CButtonGifUI::CButtonGifUI() : Button("ButtonGif") {}

bool CButtonGifUI::isA(std::string_view n) const {
  return sameName(n, "ButtonGif") || sameName(n, "Control");
}

AttributeResult CButtonGifUI::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "normalgiffile")) {
    std::string file;
    for (wchar_t c : v) file.push_back(static_cast<char>(c < 0x80 ? c : '?'));
    setGifFile(std::move(file));
    return AttributeResult::kApplied;
  }
  return Button::setAttribute(n, v);
}

void CButtonGifUI::setGifFile(std::string file) {
  stopTimer(kFrameTimer);
  clock_.setFrames({});
  file_ = std::move(file);
  framesLoaded_ = false;
  invalidate();
}

bool CButtonGifUI::loadFrames(TextMeasurer& m) {
  if (!framesLoaded_ && !file_.empty()) {
    clock_.setFrames(m.animationDelays(file_));
    framesLoaded_ = true;
  }
  return clock_.hasAnimation();
}

void CButtonGifUI::start() {
  // The frames are read at the first paint (the painter knows the skin); a start before that
  // waits for it.
  if (!framesLoaded_) {
    startWhenLoaded_ = true;
    invalidate();
    return;
  }
  int period = clock_.start();
  if (period > 0) startTimer(kFrameTimer, period);
}

void CButtonGifUI::stop() {
  startWhenLoaded_ = false;
  clock_.stop();
  stopTimer(kFrameTimer);
  invalidate();
}

void CButtonGifUI::onTimer(int timerId) {
  if (timerId != kFrameTimer) return;
  clock_.tick();
  invalidate();
}

void CButtonGifUI::setVisible(bool v) {
  // Hidden, the animation pauses for good: showing it again waits for start().
  if (!v) stop();
  Button::setVisible(v);
}

void CButtonGifUI::paint(Painter& p) {
  if (!loadFrames(p)) {
    Button::paint(p);
    return;
  }
  if (startWhenLoaded_) {
    startWhenLoaded_ = false;
    int period = clock_.start();
    if (period > 0) startTimer(kFrameTimer, period);
  }
  AnimationClock::PaintStep step = clock_.paint();
  if (step.restartPeriod > 0) startTimer(kFrameTimer, step.restartPeriod);
  paintBackground(p);
  p.drawAnimationFrame(file_, step.frame, rect());
  paintText(p, effectiveTextColor());
}

// ----------------------------------------------------------------------------- LabelEx, ButtonEx

CLabelExUI::CLabelExUI() : Label("LabelEx") {}
bool CLabelExUI::isA(std::string_view n) const {
  return sameName(n, "LabelEx") || Label::isA(n);
}

CButtonExUI::CButtonExUI() : Button("ButtonEx") {}
bool CButtonExUI::isA(std::string_view n) const {
  return sameName(n, "ButtonEx") || Button::isA(n);
}

void CButtonExUI::onMouseEnter() {
  Button::onMouseEnter();
  if (enabledInTree()) notify(EventType::kOnHot);
}

void CButtonExUI::onMouseLeave() {
  Button::onMouseLeave();
  if (enabledInTree()) notify(EventType::kOffHot);
}

// ------------------------------------------------------------------------------- ListEx, DiskList

namespace {

// The label of a tree row: a click on its expand link toggles the node.
class RowLabel : public Text {
 public:
  RowLabel(CListExUI* owner, int row) : row_(row), owner_(owner) {}
  void onMouseUp(const MouseEvent& e, bool inside) override {
    if (!inside) return;
    if (linkAt(placedRuns(), e.pos) == 0) owner_->setExpanded(row_, !owner_->rows().expanded(row_));
  }
  int row_;

 private:
  CListExUI* owner_;
};

// The row element: only the expand link is a control of its own, the rest selects the row.
class TreeRow : public ListContainerElement {
 public:
  TreeRow() : ListContainerElement("ListTreeRow") {}
  Control* hitTest(Point p) override {
    Control* hit = HorizontalLayout::hitTest(p);
    if (auto* label = dynamic_cast<RowLabel*>(hit)) {
      return linkAt(label->placedRuns(), p) >= 0 ? hit : this;
    }
    return hit;
  }
};

}  // namespace

CListExUI::CListExUI(std::string kind) : List(std::move(kind)) {}

bool CListExUI::isA(std::string_view n) const {
  return sameName(n, "ListEx") || List::isA(n);
}

int CListExUI::addNode(int parent, const std::wstring& text, bool expanded) {
  int row = rows_.insert(parent, text, expanded);
  auto element = std::make_unique<TreeRow>();
  element->setFixedHeight(30);
  auto label = std::make_unique<RowLabel>(this, row);
  label->setShowHtml(true);
  element->add(std::move(label));
  body()->insert(static_cast<std::size_t>(row), std::move(element));
  refreshRows();
  return row;
}

void CListExUI::clearNodes() {
  rows_.clear();
  removeAllElements();
}

void CListExUI::setExpanded(int row, bool expanded) {
  if (row < 0 || row >= rows_.size() || rows_.expanded(row) == expanded) return;
  rows_.setExpanded(row, expanded);
  refreshRows();
  onExpandedChanged(row);
}

void CListExUI::refreshRows() {
  for (int r = 0; r < rows_.size(); ++r) {
    Control* element = elementAt(static_cast<std::size_t>(r));
    if (!element) continue;
    element->setVisible(rows_.visible(r));
    if (auto* label = dynamic_cast<RowLabel*>(element->childAt(0))) {
      label->row_ = r;
      label->setText(rows_.markup(r));
    }
  }
}

CDiskListUI::CDiskListUI() : CListExUI("DiskList") {}

bool CDiskListUI::isA(std::string_view n) const {
  return sameName(n, "DiskList") || CListExUI::isA(n);
}

void CDiskListUI::onExpandedChanged(int row) {
  // Elements of the node kind that follow the node's row belong to it.
  bool show = rows().expanded(row) && rows().visible(row);
  for (std::size_t i = static_cast<std::size_t>(rows().size()); i < elementCount(); ++i) {
    Control* e = elementAt(i);
    if (e->kind() == "ListImageTextNode" && e->tag() == row) e->setVisible(show);
  }
}

// ------------------------------------------------------------------------------------ Pagination

class PageButton : public Option {
 public:
  PageButton(CPaginationUI* owner, int step) : owner_(owner), step_(step) {}
  void activate() override {
    if (step_ < 0) {
      owner_->setCurrentPage(owner_->currentPage() - 1);
    } else if (step_ > 0) {
      owner_->setCurrentPage(owner_->currentPage() + 1);
    } else {
      owner_->setCurrentPage(static_cast<int>(tag()));
    }
  }

 private:
  CPaginationUI* owner_;
  int step_;  // -1 "Prev", +1 "Next", 0 a page button
};

CPaginationUI::CPaginationUI() : HorizontalLayout("Pagination") {
  setChildPadding(2);
  auto makeButton = [&](int step, const wchar_t* text) {
    auto b = std::make_unique<PageButton>(this, step);
    b->setText(text);
    b->setFixedWidth(32);
    b->setAttribute("textcolor", L"#FF505050");
    b->setAttribute("bkcolor", L"#FFF3F3F3");
    b->setAttribute("bordersize", L"1");
    b->setAttribute("bordercolor", L"#FFDDDDDD");
    b->setAttribute("hotbordercolor", L"#FF1A73B8");
    b->setAttribute("disabledtextcolor", L"#FFA3AEBA");
    b->setAttribute("align", L"center");
    return b;
  };
  prev_ = static_cast<Button*>(add(makeButton(-1, L"\x2039")));
  for (int i = 0; i < kPageButtons; ++i) {
    if (i == 2) {
      auto gap = std::make_unique<Label>();
      gap->setText(L"...");
      gap->setFixedWidth(16);
      gap->setAlign(HAlign::kCenter);
      gap->setVisible(false);
      leftGap_ = static_cast<Label*>(add(std::move(gap)));
    }
    auto page = makeButton(0, L"");
    page->setAttribute("group", L"PAGINATION");
    page->setAttribute("selectedbkcolor", L"#FF1A73B8");
    page->setAttribute("selectedtextcolor", L"#FFFFFFFF");
    pages_.push_back(static_cast<Option*>(add(std::move(page))));
  }
  auto gap = std::make_unique<Label>();
  gap->setText(L"...");
  gap->setFixedWidth(16);
  gap->setAlign(HAlign::kCenter);
  gap->setVisible(false);
  // The right gap sits before the last two page buttons.
  rightGap_ = static_cast<Label*>(insert(children_.size() - 2, std::move(gap)));
  next_ = static_cast<Button*>(add(makeButton(1, L"\x203A")));
  relayout();
}

bool CPaginationUI::isA(std::string_view n) const {
  return sameName(n, "Pagination") || HorizontalLayout::isA(n);
}

AttributeResult CPaginationUI::setAttribute(std::string_view n, std::wstring_view v) {
  if (sameName(n, "pagecount")) {
    int count = 0;
    for (wchar_t c : v) {
      if (c < L'0' || c > L'9' || count > 100000000) return AttributeResult::kMalformed;
      count = count * 10 + (c - L'0');
    }
    setPageCount(count);
    return AttributeResult::kApplied;
  }
  return HorizontalLayout::setAttribute(n, v);
}

void CPaginationUI::setPageCount(int count) {
  pageCount_ = count < 0 ? 0 : count;
  current_ = pageCount_ == 0 ? 0 : std::clamp(current_, 1, pageCount_);
  relayout();
}

void CPaginationUI::setCurrentPage(int page, bool sendNotify) {
  if (pageCount_ == 0) return;
  page = std::clamp(page, 1, pageCount_);
  bool changed = page != current_;
  current_ = page;
  relayout();
  if (changed && sendNotify) notify(EventType::kUpdatePage, current_);
}

void CPaginationUI::relayout() {
  PaginationLayout l = layoutPagination(pageCount_, current_);
  prev_->setEnabled(l.prevEnabled);
  next_->setEnabled(l.nextEnabled);
  leftGap_->setVisible(l.leftGap);
  rightGap_->setVisible(l.rightGap);
  // The children stand as Prev, two buttons, the left gap, seven buttons, the right gap, two
  // buttons, Next: filling the buttons in order puts every page on the right side of its gap.
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    Option* b = pages_[i];
    if (i < l.pages.size()) {
      int page = l.pages[i];
      b->setTag(page);
      b->setText(std::to_wstring(page));
      b->setVisible(true);
      b->setSelected(page == current_, false);
    } else {
      b->setVisible(false);
      b->setSelected(false, false);
    }
  }
  needLayout();
}

std::vector<std::wstring> CPaginationUI::shownTexts() const {
  std::vector<std::wstring> out;
  for (std::size_t i = 0; i < childCount(); ++i) {
    Control* c = childAt(i);
    if (c->visible() && c != prev_ && c != next_) out.push_back(c->text());
  }
  return out;
}

}  // namespace qv::ui
