// Simulated image lists: each list is the sequence of icons added to it.
#pragma once

#include <map>
#include <set>
#include <vector>

#include "platform/image_lists.h"

class TSimImageLists : public IImageLists {
 public:
  std::set<TIconHandle> destroyedIcons;

  TImageListHandle Create(int32_t cx, int32_t cy, uint32_t /*flags*/, int32_t /*initial*/,
                          int32_t /*grow*/) override {
    if (cx <= 0 || cy <= 0) return 0;
    TImageListHandle handle = m_nextHandle++;
    m_lists[handle];
    return handle;
  }
  bool Destroy(TImageListHandle list) override { return m_lists.erase(list) != 0; }
  int32_t AddIcon(TImageListHandle list, TIconHandle icon) override {
    auto found = m_lists.find(list);
    if (found == m_lists.end() || icon == 0 || destroyedIcons.count(icon)) return -1;
    found->second.push_back(icon);
    return static_cast<int32_t>(found->second.size() - 1);
  }
  bool RemoveAll(TImageListHandle list) override {
    auto found = m_lists.find(list);
    if (found == m_lists.end()) return false;
    found->second.clear();
    return true;
  }
  int32_t ImageCount(TImageListHandle list) override {
    auto found = m_lists.find(list);
    return found == m_lists.end() ? 0 : static_cast<int32_t>(found->second.size());
  }
  bool DestroyIcon(TIconHandle icon) override { return icon != 0 && destroyedIcons.insert(icon).second; }

  // Test inspection: the icons of a list in order, and the lists still alive.
  const std::vector<TIconHandle>& Icons(TImageListHandle list) const { return m_lists.at(list); }
  size_t OpenLists() const { return m_lists.size(); }

 private:
  TImageListHandle m_nextHandle = 0x7000;
  std::map<TImageListHandle, std::vector<TIconHandle>> m_lists;
};
