// The program release the server offers on "/client_version/quorvane/".
#pragma once

#include <optional>
#include <string>

#include "driver_version.h"
#include "quorvane.pb.h"

namespace qvserver {

struct ReleaseOffer {
  DriverVersion version;
  std::string readme;
};

// The offered release as a ClientVersion when it is newer than the caller's four numbers
// (a missing or unreadable number counts as 0), else nothing.
std::optional<quorvane::ClientVersion> newer_release(const ReleaseOffer& offer, const quorvane::ClientVersion& caller);

}  // namespace qvserver
