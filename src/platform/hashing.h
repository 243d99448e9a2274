// Hashing port: MD5 from the platform's cryptography (CNG on Windows, libcrypto natively).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

using TMd5Digest = std::array<uint8_t, 16>;

class IMd5 {
 public:
  virtual ~IMd5() = default;
  virtual void Update(const void* data, size_t size) = 0;
  virtual TMd5Digest Finish() = 0;
};

class IHashing {
 public:
  virtual ~IHashing() = default;
  virtual std::unique_ptr<IMd5> CreateMd5() = 0;
};
