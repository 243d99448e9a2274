#include "ui/driver_reboot.h"

#include "core/launch.h"
#include "core/message_box_kinds.h"
#include "res/string_ids.h"

bool RebootForDriverChange(const TRebootRequest& request, IRebootHost& host, IPower& power, IStringTable& strings) {
  if (request.mode == TRebootMode::ask && host.Ask(request.title, request.question, QV_KIND_YES_NO) != ID_YES)
    return false;
  host.SaveScanResults();
  host.RunOnceAtStartupSettings();
  if (RebootSystem(power)) return true;
  host.Ask(request.title, strings.Load(IDS_REBOOT_FAILED_TEXT), QV_KIND_INFORMATION);
  return false;
}
