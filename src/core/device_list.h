// The data model's device list: records kept sorted by primary hardware id in
// the user's case-insensitive collation, duplicates side by side, owned.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "devices/device_properties.h"
#include "platform/locale.h"

// Records of a device list picked by a query; the list keeps owning them.
using TDriverMap = std::vector<TDeviceProperties*>;

class TDeviceList {
 public:
  explicit TDeviceList(ILocale& locale) : m_locale(&locale) {}
  TDeviceList(TDeviceList&&) = default;
  TDeviceList& operator=(TDeviceList&&) = default;

  // Inserts at the sorted place, in front of records with an equal id, so the
  // newest of equals is found first.
  void Add(std::unique_ptr<TDeviceProperties> device);
  // The first record, in list order, whose hardware id equals strHID ignoring case.
  TDeviceProperties* Find(const std::string& strHID) const;
  void Clear() { m_devices.clear(); }
  // Hands every record to a new list and leaves this one empty.
  TDeviceList TakeAll();

  size_t Count() const { return m_devices.size(); }
  TDeviceProperties& operator[](size_t index) const { return *m_devices[index]; }
  auto begin() const { return m_devices.begin(); }
  auto end() const { return m_devices.end(); }

 private:
  size_t LowerBound(const std::string& strHID) const;

  ILocale* m_locale;
  std::vector<std::unique_ptr<TDeviceProperties>> m_devices;
};
