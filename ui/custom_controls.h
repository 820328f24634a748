// The program's own controls, made by the control factory for the element names the framework
// does not know: "FileTree", "ButtonGif", "LabelEx", "ButtonEx", "DiskList" and "Pagination".
// Their logic that is not drawing lives in plain classes (animation_clock.h,
// pagination_model.h, list_tree_rows.h, and the framework's tri-state tree), tested natively.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "framework/controls.h"
#include "framework/list.h"
#include "framework/tree_view.h"
#include "ui/animation_clock.h"
#include "ui/list_tree_rows.h"
#include "ui/pagination_model.h"

namespace qv::ui {

using framework::Control;
using framework::ControlPtr;

// The factory hook: the control of a custom element name, or null for any other name.
ControlPtr createCustomControl(std::string_view elementName);

// The category tree: a tri-state tree view. A check box change cascades to the subtree and
// re-derives the ancestors before "checkboxselectchanged" goes out; a double click on a node
// toggles its expansion and sends "itemexpand".
class CFileTreeUI : public framework::TreeView {
 public:
  CFileTreeUI();
  bool isA(std::string_view n) const override;
};

// A button that plays a GIF of the skin ("normalgiffile"), each frame for its own delay, driven
// by its timer 15. Without an animation it paints like a plain button.
class CButtonGifUI : public framework::Button {
 public:
  static constexpr int kFrameTimer = 15;
  CButtonGifUI();
  bool isA(std::string_view n) const override;
  framework::AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;
  void setGifFile(std::string file);
  const std::string& gifFile() const { return file_; }
  void start();
  void stop();
  bool animating() const { return clock_.animating(); }
  const AnimationClock& clock() const { return clock_; }
  void paint(framework::Painter& p) override;
  void onTimer(int timerId) override;
  void setVisible(bool v) override;

 private:
  bool loadFrames(framework::TextMeasurer& m);
  std::string file_;
  AnimationClock clock_;
  bool framesLoaded_ = false;
  bool startWhenLoaded_ = false;
};

// A label that draws its text in its own colours and font, as markup when it shows markup.
class CLabelExUI : public framework::Label {
 public:
  CLabelExUI();
  bool isA(std::string_view n) const override;
};

// A button that reports the mouse entering ("onhot") and leaving ("offhot") while enabled.
class CButtonExUI : public framework::Button {
 public:
  CButtonExUI();
  bool isA(std::string_view n) const override;
  void onMouseEnter() override;
  void onMouseLeave() override;
};

// A list whose rows form a tree. Each row is an element holding one markup label: the indent,
// the expand flag as a link, the text. Clicking the flag expands or collapses the node.
class CListExUI : public framework::List {
 public:
  explicit CListExUI(std::string kind = "ListEx");
  bool isA(std::string_view n) const override;
  // Adds a node under a parent row (ListTreeRows::kRoot for a top node); returns its row index.
  int addNode(int parent, const std::wstring& text, bool expanded = false);
  void clearNodes();
  void setExpanded(int row, bool expanded);
  const ListTreeRows& rows() const { return rows_; }

 protected:
  void refreshRows();
  virtual void onExpandedChanged(int) {}
  ListTreeRows rows_;

 private:
  friend class ExpandLinkTarget;
};

// The disk list: a CListExUI that also shows or hides the elements of kind
// "ListImageTextNodeUI" below a node as it expands or collapses.
class CDiskListUI : public CListExUI {
 public:
  CDiskListUI();
  bool isA(std::string_view n) const override;

 protected:
  void onExpandedChanged(int row) override;
};

// The pagination bar: a previous-page button, eleven page buttons (group "PAGINATION"), two
// "..." labels and a next-page button; all buttons 32 wide. A page change sends "updatepage" with
// the new page in wParam.
class CPaginationUI : public framework::HorizontalLayout {
 public:
  CPaginationUI();
  bool isA(std::string_view n) const override;
  framework::AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;
  int pageCount() const { return pageCount_; }
  int currentPage() const { return current_; }
  void setPageCount(int count);
  // Moves to a page (clamped) and lays the buttons out; sends "updatepage" when it changed and
  // sendNotify is set.
  void setCurrentPage(int page, bool sendNotify = true);
  // The page buttons shown, left to right (tests and screenshots read them).
  std::vector<std::wstring> shownTexts() const;

 private:
  friend class PageButton;
  void relayout();
  int pageCount_ = 0;
  int current_ = 0;
  framework::Button* prev_ = nullptr;
  framework::Button* next_ = nullptr;
  std::vector<framework::Option*> pages_;
  framework::Label* leftGap_ = nullptr;
  framework::Label* rightGap_ = nullptr;
};

}  // namespace qv::ui
