// The object lists of the message classes: items owned by value, index-checked access.
#pragma once

#include <cstddef>
#include <vector>

#include "proto/proto_errors.h"

template <typename T>
class TOwnedList {
 public:
  T& Add(T item) { return m_items.emplace_back(std::move(item)); }
  void Delete(size_t index) {
    Check(index);
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
  }
  T& Get(size_t index) {
    Check(index);
    return m_items[index];
  }
  const T& Get(size_t index) const {
    Check(index);
    return m_items[index];
  }
  size_t Count() const { return m_items.size(); }
  // Deletes every item, last first.
  void Clear() {
    while (!m_items.empty()) m_items.pop_back();
  }
  auto begin() { return m_items.begin(); }
  auto end() { return m_items.end(); }
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  void Check(size_t index) const {
    if (index >= m_items.size()) throw EListIndexError(index);
  }

  std::vector<T> m_items;
};
