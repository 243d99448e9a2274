// Decoding test inputs through the message readers in one call.
#pragma once

#include <cstdint>
#include <vector>

#include "proto/client_codecs.h"
#include "proto/driver_reader.h"
#include "proto/sysinfo_reader.h"

template <typename TReader, typename TMessage>
void DecodeInto(const std::vector<uint8_t>& bytes, TMessage& message) {
  TReader reader;
  reader.GetBuf().Init(bytes.data(), static_cast<int32_t>(bytes.size()), false);
  reader.Load(message);
}

inline TDrivers DecodeDrivers(const std::vector<uint8_t>& bytes) {
  TDrivers drivers;
  DecodeInto<TDriverReader>(bytes, drivers);
  return drivers;
}

inline TSysInfo DecodeSysInfo(const std::vector<uint8_t>& bytes) {
  TSysInfo sysInfo;
  DecodeInto<TSysInfoReader>(bytes, sysInfo);
  return sysInfo;
}
