// Signed download links kept for the second they were made in.
#include "link_cache.h"

namespace qvserver {

std::string LinkCache::link(std::int64_t package_id, const std::string& file_name, std::int64_t now) {
  std::string out;
  append_link(package_id, file_name, now, out);
  return out;
}

void LinkCache::append_link(std::int64_t package_id, const std::string& file_name, std::int64_t now,
                            std::string& out) {
  Shard& shard = shards_[static_cast<std::uint64_t>(package_id) % kShards];
  {
    std::lock_guard lock(shard.mutex);
    auto found = shard.links.find(package_id);
    if (found != shard.links.end() && found->second.made_at == now && found->second.file_name == file_name) {
      out += found->second.link;
      return;
    }
  }
  std::string made = signer_.make(package_id, file_name, now);
  out += made;
  std::lock_guard lock(shard.mutex);
  shard.links[package_id] = Kept{now, file_name, std::move(made)};
}

}  // namespace qvserver
