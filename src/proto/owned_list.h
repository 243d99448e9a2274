// The object lists of the message classes: each item owned through its own
// allocation (growing the list never moves an item), index-checked access.
#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

#include "proto/proto_errors.h"

template <typename T>
class TOwnedList {
 public:
  T& Add(T item) { return *m_items.emplace_back(std::make_unique<T>(std::move(item))); }
  // Appends a new empty item; the readers fill it in place.
  T& AddNew() { return *m_items.emplace_back(std::make_unique<T>()); }
  void Delete(size_t index) {
    Check(index);
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
  }
  T& Get(size_t index) {
    Check(index);
    return *m_items[index];
  }
  const T& Get(size_t index) const {
    Check(index);
    return *m_items[index];
  }
  size_t Count() const { return m_items.size(); }
  // Deletes every item, last first.
  void Clear() {
    while (!m_items.empty()) m_items.pop_back();
  }

  // Iteration over the items themselves.
  template <typename TItem, typename TBase>
  class TIterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = TItem*;
    using reference = TItem&;
    TIterator() = default;
    explicit TIterator(TBase at) : m_at(at) {}
    TItem& operator*() const { return **m_at; }
    TItem* operator->() const { return m_at->get(); }
    TIterator& operator++() {
      ++m_at;
      return *this;
    }
    TIterator operator++(int) { return TIterator(m_at++); }
    bool operator==(const TIterator& other) const = default;

   private:
    TBase m_at{};
  };
  using iterator = TIterator<T, typename std::vector<std::unique_ptr<T>>::iterator>;
  using const_iterator = TIterator<const T, typename std::vector<std::unique_ptr<T>>::const_iterator>;
  iterator begin() { return iterator(m_items.begin()); }
  iterator end() { return iterator(m_items.end()); }
  const_iterator begin() const { return const_iterator(m_items.begin()); }
  const_iterator end() const { return const_iterator(m_items.end()); }

 private:
  void Check(size_t index) const {
    if (index >= m_items.size()) throw EListIndexError(index);
  }

  std::vector<std::unique_ptr<T>> m_items;
};
