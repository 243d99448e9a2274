#include "platform/native/openssl_hashing.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace {

template <class TDigest>
class TOpenSslDigest : public IDigest<TDigest> {
 public:
  explicit TOpenSslDigest(const EVP_MD* algorithm) : m_context(EVP_MD_CTX_new()) {
    if (!m_context || EVP_DigestInit_ex(m_context, algorithm, nullptr) != 1) {
      EVP_MD_CTX_free(m_context);
      throw std::runtime_error("The digest algorithm is not available");
    }
  }
  ~TOpenSslDigest() override { EVP_MD_CTX_free(m_context); }
  TOpenSslDigest(const TOpenSslDigest&) = delete;
  TOpenSslDigest& operator=(const TOpenSslDigest&) = delete;

  void Update(const void* data, size_t size) override { EVP_DigestUpdate(m_context, data, size); }
  TDigest Finish() override {
    TDigest digest{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context, digest.data(), &length);
    return digest;
  }

 private:
  EVP_MD_CTX* m_context;
};

}  // namespace

std::unique_ptr<IMd5> TOpenSslHashing::CreateMd5() { return std::make_unique<TOpenSslDigest<TMd5Digest>>(EVP_md5()); }

std::unique_ptr<ISha256> TOpenSslHashing::CreateSha256() {
  return std::make_unique<TOpenSslDigest<TSha256Digest>>(EVP_sha256());
}
