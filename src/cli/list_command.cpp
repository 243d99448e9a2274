// qvcli list: the stored scan result, all of it or one of its lists.
#include "cli/commands.h"
#include "cli/device_report.h"
#include "cli/scan_commands.h"
#include "core/errors.h"

int RunListCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  TReportFilter filter = rfAll;
  bool json = false;
  for (const std::string& argument : arguments) {
    if (argument == "--json") {
      json = true;
      continue;
    }
    TReportFilter chosen = argument == "--outdated"  ? rfOutdated
                           : argument == "--uptodate" ? rfUpToDate
                           : argument == "--ignored"  ? rfIgnored
                                                      : rfAll;
    if (chosen == rfAll || filter != rfAll)
      throw EQvError("list takes one of --outdated, --uptodate, --ignored, and --json");
    filter = chosen;
  }
  TDriverDatamodel model(context.ports);
  if (auto problem = model.TakeScanResultProblem()) context.err << "The stored scan result: " << problem->error << "\n";
  if (json)
    PrintDeviceReportJson(model, filter, context.out);
  else
    PrintDeviceReport(model, filter, context.out);
  return QVCLI_OK;
}
