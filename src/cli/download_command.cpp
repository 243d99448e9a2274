// qvcli download: the packages offered for the given devices of the stored scan result,
// fetched into the download folder by the download run on a worker thread; its callbacks
// are shown by the console's UI loop on this thread, and Ctrl+C asks the run to stop.
#include <ostream>

#include "cli/commands.h"
#include "cli/console_download_view.h"
#include "cli/console_message_sink.h"
#include "cli/console_worker.h"
#include "cli/download_commands.h"
#include "core/errors.h"
#include "core/paths.h"
#include "engine/data_manager.h"
#include "ui/callback_relay.h"

int RunDownloadCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  if (arguments.empty()) throw EQvError("usage: download HID...");
  TDriverDatamodel model(context.ports);
  TDriverMap devices;
  for (const std::string& hardwareId : arguments) {
    if (hardwareId.rfind("--", 0) == 0) throw EQvError("usage: download HID...");
    TDeviceProperties* device = model.GetDevice(hardwareId);
    if (!device) throw EQvError("no device with the hardware id '" + hardwareId + "' in the last scan");
    devices.push_back(device);
  }
  for (const TDeviceProperties* device : devices) {
    if (device->IsIgnored())
      context.out << "Skipped: " << device->strName << " (" << device->strHID << ") is ignored.\n";
    else if (device->IsUpdated())
      context.out << "Skipped: " << device->strName << " (" << device->strHID << ") has no newer driver offered.\n";
  }

  TDataManager engine(model, context.ports);
  TPlainLoop loop;
  TCallbackDispatcher dispatcher(loop);
  TConsoleDownloadView view(context.out, context.err, context.ports.strings);
  TCallbackRelay handler(dispatcher, view);
  TConsoleMessageSink sink(dispatcher, context.err);
  engine.SetMessageSink(&sink);

  bool completed = false;
  const TConsoleRunResult run = RunOnWorker(
      loop, context, [&] { completed = engine.Download(devices, &handler); }, [&] { engine.DownloadCancel(); });
  dispatcher.Shutdown();
  engine.SetMessageSink(nullptr);
  // Links renewed during the run are kept for the next one.
  model.DumpScanResults();

  if (!run.failure.empty()) {
    context.err << "The download failed: " << run.failure << "\n";
    return QVCLI_SERVER_PROBLEM;
  }
  if (run.stopAsked) return QVCLI_STOPPED;
  if (!completed && !view.Started()) {
    // A run that made no call at all could not create the download folder.
    context.err << "The download folder \"" << model.DownloadLocation() << "\" cannot be created.\n";
  }
  for (const TDeviceProperties* device : devices) {
    const int available = engine.IsDownloadAvailable(device->strHID);
    if (available != 0 && !device->strDriverDBId.empty())
      context.out << "Package of " << device->strName << ": " << JoinPath(model.DownloadLocation(), device->strDriverDBId)
                  << "\n";
  }
  return completed && view.Failures() == 0 ? QVCLI_OK : QVCLI_SERVER_PROBLEM;
}
