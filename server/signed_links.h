// Download links signed with HMAC-SHA256 over the package path and an expiry time:
// "/files/<id>_<name>?expires=<unix seconds>&sig=<hex>".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct evp_mac_ctx_st;

namespace qvserver {

enum class LinkCheck { valid, expired, forged };

class LinkSigner {
 public:
  LinkSigner(std::string secret, std::int64_t lifetime_seconds);

  // Path and query of a link to the package, valid for the lifetime from now.
  std::string make(std::int64_t package_id, std::string_view file_name, std::int64_t now) const;
  // name is the decoded last path element "<id>_<file name>"; expires and signature are
  // the query values as received.
  LinkCheck check(std::string_view name, std::string_view expires, std::string_view signature,
                  std::int64_t now) const;

 private:
  std::string signature(std::string_view name, std::int64_t expires) const;
  // HMAC-SHA256 keyed once; each signature works on a copy, so threads share it read-only.
  std::shared_ptr<const evp_mac_ctx_st> keyed_mac_;
  std::int64_t lifetime_;
};

// 32 random bytes from OpenSSL as hexadecimal text, for a new server secret.
std::string random_secret();

}  // namespace qvserver
