// The program release the server offers on "/client_version/quorvane/".
#include "version_offer.h"

namespace qvserver {

std::optional<quorvane::ClientVersion> newer_release(const ReleaseOffer& offer, const quorvane::ClientVersion& caller) {
  DriverVersion current;
  const std::string* parts[] = {&caller.version_major(), &caller.version_minor(), &caller.version_vminor(),
                                &caller.version_vbuild()};
  for (size_t i = 0; i < 4; ++i) current.parts[i] = parse_driver_version(*parts[i]).value_or(DriverVersion{}).parts[0];
  if (offer.version <= current) return std::nullopt;
  quorvane::ClientVersion release;
  release.set_version_major(std::to_string(offer.version.parts[0]));
  release.set_version_minor(std::to_string(offer.version.parts[1]));
  release.set_version_vminor(std::to_string(offer.version.parts[2]));
  release.set_version_vbuild(std::to_string(offer.version.parts[3]));
  release.set_readme(offer.readme);
  return release;
}

}  // namespace qvserver
