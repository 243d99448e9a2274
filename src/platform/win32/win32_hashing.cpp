#include "platform/win32/win32_hashing.h"

#include <windows.h>
// bcrypt.h needs windows.h first.
#include <bcrypt.h>

#include <stdexcept>

#include "platform/win32/win32_handles.h"

namespace {

void CloseAlgorithm(BCRYPT_ALG_HANDLE algorithm) { BCryptCloseAlgorithmProvider(algorithm, 0); }
void DestroyHash(BCRYPT_HASH_HANDLE hash) { BCryptDestroyHash(hash); }

template <class TDigest>
class TCngDigest : public IDigest<TDigest> {
 public:
  explicit TCngDigest(const wchar_t* algorithm) {
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(m_algorithm.Receive(), algorithm, nullptr, 0)) ||
        !BCRYPT_SUCCESS(BCryptCreateHash(m_algorithm.Get(), m_hash.Receive(), nullptr, 0, nullptr, 0, 0)))
      throw std::runtime_error("The digest algorithm is not available");
  }
  void Update(const void* data, size_t size) override {
    // BCryptHashData takes 32-bit lengths.
    auto bytes = static_cast<const UCHAR*>(data);
    while (size > 0) {
      ULONG chunk = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
      BCryptHashData(m_hash.Get(), const_cast<UCHAR*>(bytes), chunk, 0);
      bytes += chunk;
      size -= chunk;
    }
  }
  TDigest Finish() override {
    TDigest digest{};
    BCryptFinishHash(m_hash.Get(), digest.data(), static_cast<ULONG>(digest.size()), 0);
    return digest;
  }

 private:
  TOwnedHandle<BCRYPT_ALG_HANDLE, &CloseAlgorithm> m_algorithm;
  TOwnedHandle<BCRYPT_HASH_HANDLE, &DestroyHash> m_hash;
};

}  // namespace

std::unique_ptr<IMd5> TWin32Hashing::CreateMd5() {
  return std::make_unique<TCngDigest<TMd5Digest>>(BCRYPT_MD5_ALGORITHM);
}

std::unique_ptr<ISha256> TWin32Hashing::CreateSha256() {
  return std::make_unique<TCngDigest<TSha256Digest>>(BCRYPT_SHA256_ALGORITHM);
}
