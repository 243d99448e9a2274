// The stored or scanned device list as qvcli prints it: outdated, up to date and
// ignored devices with their counts, as lines or as JSON.
#pragma once

#include <iosfwd>

#include "core/data_model.h"

// Which devices a report shows.
enum TReportFilter { rfAll, rfOutdated, rfUpToDate, rfIgnored };

void PrintDeviceReport(const TDriverDatamodel& model, TReportFilter filter, std::ostream& out);
void PrintDeviceReportJson(const TDriverDatamodel& model, TReportFilter filter, std::ostream& out);
