#include "ui/category_choice.h"

namespace qv::ui {

CategoryChoice::CategoryChoice() : chosen_(engine::allCategories()) {}

void CategoryChoice::setAll(bool chosen) {
  chosen_ = chosen ? engine::allCategories() : engine::CategorySet();
}

void CategoryChoice::setOption(int index, bool chosen) {
  if (index < 0 || index >= engine::kCategoryCount) return;
  chosen_.set(static_cast<std::size_t>(index), chosen);
}

bool CategoryChoice::option(int index) const {
  return index >= 0 && index < engine::kCategoryCount &&
         chosen_.test(static_cast<std::size_t>(index));
}

SelectAllState CategoryChoice::selectAll() const {
  if (chosen_.none()) return SelectAllState::kUnchecked;
  return chosen_.all() ? SelectAllState::kChecked : SelectAllState::kHalfChecked;
}

}  // namespace qv::ui
