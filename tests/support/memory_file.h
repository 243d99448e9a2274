// An IOpenFile in memory: what was written to it, and a write that can be made to fail.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/file_system.h"

class TMemoryFile : public IOpenFile {
 public:
  bool Read(void* buffer, size_t size, size_t& read) override {
    read = std::min(size, bytes.size() - m_position);
    std::memcpy(buffer, bytes.data() + m_position, read);
    m_position += read;
    return true;
  }
  bool Write(const void* data, size_t size) override {
    if (failWrites) return false;
    bytes.append(static_cast<const char*>(data), size);
    return true;
  }
  bool Rewind() override {
    m_position = 0;
    return true;
  }

  std::string bytes;
  bool failWrites = false;

 private:
  size_t m_position = 0;
};
