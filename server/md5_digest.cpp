// MD5 digests (OpenSSL) as 32 lower-case hexadecimal digits.
#include "md5_digest.h"

#include <openssl/evp.h>

#include <fstream>
#include <memory>

#include "hex_text.h"
#include "package_error.h"

namespace qvserver {

namespace {

struct FreeDigest {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

class Md5 {
 public:
  Md5() : context_(EVP_MD_CTX_new()) {
    if (!context_ || EVP_DigestInit_ex(context_.get(), EVP_md5(), nullptr) != 1)
      throw std::runtime_error("MD5 is not available");
  }
  void add(const char* data, size_t size) { EVP_DigestUpdate(context_.get(), data, size); }
  std::string hex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(context_.get(), digest, &size);
    return to_hex(std::string_view(reinterpret_cast<const char*>(digest), size));
  }

 private:
  std::unique_ptr<EVP_MD_CTX, FreeDigest> context_;
};

}  // namespace

std::string md5_hex(std::string_view bytes) {
  Md5 md5;
  md5.add(bytes.data(), bytes.size());
  return md5.hex();
}

std::string file_md5_hex(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw ImportError("cannot read " + file.string());
  Md5 md5;
  char block[65536];
  while (in.read(block, sizeof block) || in.gcount() > 0) md5.add(block, static_cast<size_t>(in.gcount()));
  if (in.bad()) throw ImportError("cannot read " + file.string());
  return md5.hex();
}

}  // namespace qvserver
