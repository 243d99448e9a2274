#include "platform/native/openssl_hashing.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace {

class TOpenSslMd5 : public IMd5 {
 public:
  TOpenSslMd5() : m_context(EVP_MD_CTX_new()) {
    if (!m_context || EVP_DigestInit_ex(m_context, EVP_md5(), nullptr) != 1) {
      EVP_MD_CTX_free(m_context);
      throw std::runtime_error("MD5 is not available");
    }
  }
  ~TOpenSslMd5() override { EVP_MD_CTX_free(m_context); }
  TOpenSslMd5(const TOpenSslMd5&) = delete;
  TOpenSslMd5& operator=(const TOpenSslMd5&) = delete;

  void Update(const void* data, size_t size) override { EVP_DigestUpdate(m_context, data, size); }
  TMd5Digest Finish() override {
    TMd5Digest digest{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context, digest.data(), &length);
    return digest;
  }

 private:
  EVP_MD_CTX* m_context;
};

}  // namespace

std::unique_ptr<IMd5> TOpenSslHashing::CreateMd5() { return std::make_unique<TOpenSslMd5>(); }
