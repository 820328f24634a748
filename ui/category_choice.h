// The category page's check rules, apart from drawing. Fourteen options in the page's order
// (the order of the categories, engine/items.h) and "ChkSelAll", which shows whether all, some
// or none of them are chosen: checked, half-checked or unchecked. "Next" is usable exactly when
// at least one category is chosen. All are chosen when the page starts.
#pragma once

#include "engine/items.h"

namespace qv::ui {

enum class SelectAllState { kUnchecked, kChecked, kHalfChecked };

class CategoryChoice {
 public:
  CategoryChoice();

  // The user changed "ChkSelAll": every option takes its state.
  void setAll(bool chosen);
  // The user changed the option at `index` (page order, 0 to 13); other indexes are ignored.
  void setOption(int index, bool chosen);

  bool option(int index) const;
  SelectAllState selectAll() const;
  bool nextEnabled() const { return chosen_.any(); }
  // The chosen categories, bit i for the category with id i.
  const engine::CategorySet& chosen() const { return chosen_; }

 private:
  engine::CategorySet chosen_;
};

}  // namespace qv::ui
