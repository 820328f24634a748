// Lists with a header and multi-column rows, in two modes:
//   elements  rows are controls (ListContainerElement, ListLabelElement) of any height, laid out
//             top to bottom in a scrolling body; only rows inside the view are painted. For short
//             lists of rich rows (the backup list, chat bubbles, the export results).
//   virtual   rows come from a ListModel; the body measures and paints only the rows that meet
//             the view (list_viewport.h), so 20,000 rows cost what 20 do.
// The header is a ListHeader of ListHeaderItem labels; their widths are the column widths.
//
// Notifications: "itemselect" (wParam = row) when the selection changes, "itemclick" on a click
// on a row, "list_item_dbclick" on a double click, "list_check_click" when a row's check box is
// clicked (virtual mode; the model has already been told).
#pragma once

#include <cstdint>

#include "framework/container.h"
#include "framework/controls.h"
#include "framework/list_viewport.h"
#include "framework/tri_state_tree.h"

namespace qv::framework {

struct ListCell {
  std::wstring text;
  ImageRef icon;  // drawn at the cell's left, its dest giving the size
  HAlign align = HAlign::kLeft;
};

class ListModel {
 public:
  virtual ~ListModel() = default;
  virtual std::int64_t rowCount() const = 0;
  // Fills one cell; called only for rows being painted.
  virtual void cell(std::int64_t row, int column, ListCell* out) const = 0;
  // The row's text colour, or 0 for the list's.
  virtual Color rowTextColor(std::int64_t) const { return 0; }
  virtual bool checkable() const { return false; }
  virtual CheckState rowCheck(std::int64_t) const { return CheckState::kUnchecked; }
  // The user clicked the row's check box.
  virtual void toggleRowCheck(std::int64_t) {}
};

class ListHeaderItem : public Label {
 public:
  ListHeaderItem();
  bool isA(std::string_view n) const override;
};

class ListHeader : public HorizontalLayout {
 public:
  ListHeader();
  bool isA(std::string_view n) const override;
};

// A row control of element mode: a horizontal box that can be selected and hovered.
class ListContainerElement : public HorizontalLayout {
 public:
  explicit ListContainerElement(std::string kind = "ListContainerElement");
  bool isA(std::string_view n) const override;
  void paint(Painter& p) override;
  Control* hitTest(Point p) override;
  void onMouseEnter() override;
  void onMouseLeave() override;
  void onMouseDown(const MouseEvent& e) override;
  void onDoubleClick(const MouseEvent& e) override;
  bool selected() const { return selected_; }

 private:
  friend class List;
  class List* owner() const;
  bool selected_ = false;
};

class List;

// The scrolling body of a list: element rows, or a model's rows.
class ListBody : public VerticalLayout {
 public:
  explicit ListBody(List* owner);
  bool isA(std::string_view n) const override;
  void paint(Painter& p) override;
  Control* hitTest(Point p) override;
  bool onWheel(int delta) override;
  void onMouseMove(const MouseEvent& e) override;
  void onMouseLeave() override;
  void onMouseDown(const MouseEvent& e) override;
  void onMouseUp(const MouseEvent& e, bool inside) override;
  void onDoubleClick(const MouseEvent& e) override;
  ListViewport& viewport() { return viewport_; }
  const ListViewport& viewport() const { return viewport_; }
  std::int64_t hotRow() const { return hotRow_; }

 protected:
  int layoutChildren(const Rect& inner, int scroll, TextMeasurer& m, int dpi) override;

 private:
  std::int64_t rowAtPoint(Point p) const;
  Rect checkBoxRect(const Rect& row) const;
  void paintRows(Painter& p);
  List* owner_;
  ListViewport viewport_;
  std::int64_t hotRow_ = -1;
  std::int64_t pressedRow_ = -1;
};

class List : public VerticalLayout {
 public:
  explicit List(std::string kind = "List");
  bool isA(std::string_view n) const override;
  AttributeResult setAttribute(std::string_view name, std::wstring_view value) override;

  ListHeader* header() const { return header_; }
  ListBody* body() const { return body_; }
  // Layout children: a ListHeader becomes the header, anything else a row element.
  Control* adopt(ControlPtr child) override;

  // ---- element mode
  Control* addElement(ControlPtr element);
  std::size_t elementCount() const;
  Control* elementAt(std::size_t i) const;
  void removeAllElements();

  // ---- virtual mode (the model is the caller's and must outlive its use here)
  void setModel(ListModel* model);
  ListModel* model() const { return model_; }
  // The model's rows changed (count or content).
  void modelChanged();

  // ---- selection (both modes)
  std::int64_t selectedIndex() const { return selected_; }
  // -1 clears. Sends "itemselect" when the selection changed and sendNotify is set.
  void selectItem(std::int64_t index, bool sendNotify = true);
  void scrollToTop();
  void ensureVisible(std::int64_t index);

  // Column edges in window pixels from the header items (the last one takes the rest).
  std::vector<std::pair<int, int>> columns() const;

  int itemHeight() const { return itemHeight_; }  // design units, virtual rows
  Color itemTextColor() const { return itemTextColor_; }
  Color itemSelectedBkColor() const { return itemSelectedBkColor_; }
  Color itemHotBkColor() const { return itemHotBkColor_; }
  Color itemLineColor() const { return itemLineColor_; }
  int itemFont() const { return itemFont_; }
  const Edges& itemTextPadding() const { return itemTextPadding_; }
  const ImageRef& checkImage(CheckState s) const;

 private:
  friend class ListBody;
  friend class ListContainerElement;
  void elementClicked(ListContainerElement* e, bool dbl);

  ListHeader* header_ = nullptr;
  ListBody* body_ = nullptr;
  ListModel* model_ = nullptr;
  std::int64_t selected_ = -1;
  int itemHeight_ = 30;
  Color itemTextColor_ = 0;
  Color itemSelectedBkColor_ = 0xFFE3EEFBu;
  Color itemHotBkColor_ = 0xFFF2F6FBu;
  Color itemLineColor_ = 0;
  int itemFont_ = -1;
  Edges itemTextPadding_{6, 0, 6, 0};
  ImageRef uncheckedImage_, checkedImage_, halfImage_;
};

}  // namespace qv::framework
