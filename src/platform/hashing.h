// Hashing port: MD5 and SHA-256 from the platform's cryptography (CNG on Windows,
// libcrypto natively).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

using TMd5Digest = std::array<uint8_t, 16>;
using TSha256Digest = std::array<uint8_t, 32>;

// One digest computation: data in any number of parts, then the digest once.
template <class TDigest>
class IDigest {
 public:
  virtual ~IDigest() = default;
  virtual void Update(const void* data, size_t size) = 0;
  virtual TDigest Finish() = 0;
};

using IMd5 = IDigest<TMd5Digest>;
using ISha256 = IDigest<TSha256Digest>;

class IHashing {
 public:
  virtual ~IHashing() = default;
  virtual std::unique_ptr<IMd5> CreateMd5() = 0;
  virtual std::unique_ptr<ISha256> CreateSha256() = 0;
};
