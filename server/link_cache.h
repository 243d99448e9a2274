// The download links of the current second, kept per package: a scan offering hundreds of
// drivers, and every other scan in the same second, signs each package's link once. A
// kept link is exactly the one LinkSigner makes at that second.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

#include "signed_links.h"

namespace qvserver {

class LinkCache {
 public:
  explicit LinkCache(const LinkSigner& signer) : signer_(signer) {}

  // Path and query of the package's link made at now (unix seconds).
  std::string link(std::int64_t package_id, const std::string& file_name, std::int64_t now);
  // The same appended to out: a kept link is copied under the lock, with no allocation
  // once out has room.
  void append_link(std::int64_t package_id, const std::string& file_name, std::int64_t now, std::string& out);

 private:
  struct Kept {
    std::int64_t made_at = 0;
    std::string file_name;
    std::string link;
  };
  // Packages spread over shards so concurrent scans rarely wait for one another.
  struct Shard {
    std::mutex mutex;
    std::unordered_map<std::int64_t, Kept> links;
  };
  static constexpr std::size_t kShards = 16;

  const LinkSigner& signer_;
  std::array<Shard, kShards> shards_;
};

}  // namespace qvserver
