// Answers a scan request: for each device the newest catalog driver that serves its
// hardware id on the request's OS and is newer than the installed one.
#pragma once

#include <functional>
#include <string>

#include "catalog.h"
#include "quorvane.pb.h"

namespace qvserver {

// Builds the download address of a package for the answer.
using DownloadLinkMaker = std::function<std::string(const DriverOffer&)>;

// True when the offer is newer than the installed driver: four numbers compared, the
// date ("yyyy-MM-dd") breaking ties. An unreadable installed version counts as 0.0.0.0.
bool is_newer(const DriverOffer& offer, const std::string& installed_version, const std::string& installed_date);

// One answer entry per distinct hardware id (letter case ignored) that has a newer driver,
// carrying the hardware id as the request spelled it. No entries: nothing newer.
quorvane::Drivers answer_scan(Catalog& catalog, const quorvane::Drivers& request, const DownloadLinkMaker& link);

}  // namespace qvserver
