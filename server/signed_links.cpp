// Download links signed with HMAC-SHA256 over the package path and an expiry time.
#include "signed_links.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/core_names.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <charconv>
#include <stdexcept>

#include "hex_text.h"
#include "url_text.h"

namespace qvserver {

namespace {

struct MacContextFree {
  void operator()(EVP_MAC_CTX* context) const { EVP_MAC_CTX_free(context); }
};
using MacContext = std::unique_ptr<EVP_MAC_CTX, MacContextFree>;

MacContext keyed_hmac_sha256(const std::string& secret) {
  std::unique_ptr<EVP_MAC, decltype(&EVP_MAC_free)> mac(EVP_MAC_fetch(nullptr, "HMAC", nullptr), &EVP_MAC_free);
  MacContext context(mac ? EVP_MAC_CTX_new(mac.get()) : nullptr);
  char digest[] = "SHA256";
  OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0), OSSL_PARAM_construct_end()};
  if (!context || !EVP_MAC_init(context.get(), reinterpret_cast<const unsigned char*>(secret.data()), secret.size(),
                                params))
    throw std::runtime_error("HMAC-SHA256 is not available");
  return context;
}

}  // namespace

LinkSigner::LinkSigner(std::string secret, std::int64_t lifetime_seconds)
    : keyed_mac_(keyed_hmac_sha256(secret).release(), MacContextFree{}), lifetime_(lifetime_seconds) {}

std::string LinkSigner::signature(std::string_view name, std::int64_t expires) const {
  std::string message = std::string(name) + "\n" + std::to_string(expires);
  MacContext context(EVP_MAC_CTX_dup(keyed_mac_.get()));
  unsigned char digest[EVP_MAX_MD_SIZE];
  std::size_t size = 0;
  if (!context ||
      !EVP_MAC_update(context.get(), reinterpret_cast<const unsigned char*>(message.data()), message.size()) ||
      !EVP_MAC_final(context.get(), digest, &size, sizeof digest))
    throw std::runtime_error("HMAC-SHA256 failed");
  return to_hex(std::string_view(reinterpret_cast<const char*>(digest), size));
}

std::string LinkSigner::make(std::int64_t package_id, std::string_view file_name, std::int64_t now) const {
  std::string name = std::to_string(package_id) + "_" + std::string(file_name);
  std::int64_t expires = now + lifetime_;
  return "/files/" + std::to_string(package_id) + "_" + percent_encode(file_name) +
         "?expires=" + std::to_string(expires) + "&sig=" + signature(name, expires);
}

LinkCheck LinkSigner::check(std::string_view name, std::string_view expires, std::string_view signature_text,
                            std::int64_t now) const {
  std::int64_t expiry = 0;
  auto [end, error] = std::from_chars(expires.data(), expires.data() + expires.size(), expiry);
  if (expires.empty() || error != std::errc() || end != expires.data() + expires.size()) return LinkCheck::forged;
  std::string expected = signature(name, expiry);
  if (signature_text.size() != expected.size() ||
      CRYPTO_memcmp(expected.data(), signature_text.data(), expected.size()) != 0)
    return LinkCheck::forged;
  return now < expiry ? LinkCheck::valid : LinkCheck::expired;
}

std::string random_secret() {
  unsigned char bytes[32];
  if (RAND_bytes(bytes, sizeof bytes) != 1) throw std::runtime_error("no random bytes for the link secret");
  return to_hex(std::string_view(reinterpret_cast<const char*>(bytes), sizeof bytes));
}

}  // namespace qvserver
