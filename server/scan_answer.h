// Answers a scan request the way Windows ranks drivers for a device: the hardware id
// first, then each compatible id in the device's order; among drivers for the same id
// the newest. The best-ranked driver is offered when it is newer than the installed one.
#pragma once

#include <functional>
#include <string>

#include "match_index.h"
#include "quorvane.pb.h"
#include "scan_request.h"

namespace qvserver {

// Writes the download address of a package for the answer into link, replacing what it
// held; answer_scan passes the same string for every entry, so its storage is reused.
using DownloadLinkMaker = std::function<void(const DriverOffer&, std::string& link)>;

// True when the offer is newer than the installed driver: four numbers compared, the
// date ("yyyy-MM-dd") breaking ties. An unreadable installed version counts as 0.0.0.0.
bool is_newer(const DriverOffer& offer, std::string_view installed_version, std::string_view installed_date);

// The answer, an encoded Drivers message: at most one entry per distinct hardware id
// (letter case ignored), named by the hardware id as the request spelled it. The client
// applies an entry to the first device with that id, so each id is judged only against
// its first device. Nothing newer: the empty text.
std::string answer_scan(const MatchIndex& index, const ScanRequest& request, const DownloadLinkMaker& link);

// The same for a request message, the answer decoded.
quorvane::Drivers answer_scan(const MatchIndex& index, const quorvane::Drivers& request,
                              const DownloadLinkMaker& link);

}  // namespace qvserver
