#include "memory_rows.h"

#include <algorithm>
#include <cctype>

namespace zefr {

std::optional<ParamRow::Kind> RowKindOf(ParameterAttributes attributes) {
  switch (attributes & attr::kTypeMask) {
    case attr::kInteger:
    case attr::kReal:
    case attr::kHexByte:
    case attr::kText:
    case 0x010:  // multi-line text
      return ParamRow::Kind::Text;
    case attr::kHeading:
      return ParamRow::Kind::Plain;
    case attr::kOptionList:
    case attr::kEntityReference:
      return ParamRow::Kind::List;
    default:
      return std::nullopt;
  }
}

bool SortsBefore(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string MemoryRow::ItemText(int position) const {
  if (position < 0 || position >= Count()) return {};
  return items_[position].first;
}

int MemoryRow::ItemData(int position) const {
  if (position < 0 || position >= Count()) return -1;
  return items_[position].second;
}

int MemoryRow::AddItem(std::string_view text, int data) {
  auto at = items_.end();
  if (sorted_) {
    at = std::upper_bound(items_.begin(), items_.end(), text,
                          [](std::string_view t, const auto& item) { return SortsBefore(t, item.first); });
  }
  const int position = static_cast<int>(at - items_.begin());
  items_.insert(at, {std::string(text), data});
  if (selected_ >= position) ++selected_;
  return position;
}

void MemoryRow::RemoveItem(int position) {
  if (position < 0 || position >= Count()) return;
  items_.erase(items_.begin() + position);
  if (selected_ == position)
    selected_ = -1;
  else if (selected_ > position)
    --selected_;
}

void MemoryRow::ClearItems() {
  items_.clear();
  selected_ = -1;
}

int MemoryRow::FindItem(std::string_view text) const {
  for (int i = 0; i < Count(); ++i)
    if (items_[i].first == text) return i;
  return -1;
}

void MemoryRow::Select(int position) { selected_ = position >= 0 && position < Count() ? position : -1; }

std::string MemoryRow::SelectedText() const { return ItemText(selected_); }

MemoryRows& MemoryRows::operator=(const MemoryRows& other) {
  if (this == &other) return *this;
  rows_.resize(other.rows_.size());
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (!other.rows_[i])
      rows_[i].reset();
    else if (rows_[i])
      *rows_[i] = *other.rows_[i];
    else
      rows_[i] = std::make_unique<MemoryRow>(*other.rows_[i]);
  }
  return *this;
}

ParamRow* MemoryRows::Row(ParameterId id) { return Find(id); }

MemoryRow* MemoryRows::Find(ParameterId id) {
  return id >= 0 && static_cast<std::size_t>(id) < rows_.size() ? rows_[static_cast<std::size_t>(id)].get() : nullptr;
}

MemoryRow* MemoryRows::Create(const ParameterDescriptor& descriptor) {
  const auto kind = RowKindOf(descriptor.attributes);
  if (!kind || descriptor.id < 0) return nullptr;
  const auto at = static_cast<std::size_t>(descriptor.id);
  if (rows_.size() <= at) rows_.resize(at + 1);
  auto& slot = rows_[at];
  if (!slot)
    slot = std::make_unique<MemoryRow>(*kind, descriptor.Type() == attr::kEntityReference);
  return slot.get();
}

}  // namespace zefr
