#include "core/device_list.h"

size_t TDeviceList::LowerBound(const std::string& strHID) const {
  size_t low = 0, high = m_devices.size();
  while (low < high) {
    size_t middle = low + (high - low) / 2;
    if (m_locale->CompareText(m_devices[middle]->strHID, strHID) < 0)
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

void TDeviceList::Add(std::unique_ptr<TDeviceProperties> device) {
  size_t at = LowerBound(device->strHID);
  m_devices.insert(m_devices.begin() + static_cast<std::ptrdiff_t>(at), std::move(device));
}

TDeviceProperties* TDeviceList::Find(const std::string& strHID) const {
  size_t at = LowerBound(strHID);
  if (at < m_devices.size() && m_locale->CompareText(m_devices[at]->strHID, strHID) == 0)
    return m_devices[at].get();
  return nullptr;
}

TDeviceList TDeviceList::TakeAll() {
  TDeviceList taken(*m_locale);
  taken.m_devices = std::move(m_devices);
  m_devices.clear();
  return taken;
}
