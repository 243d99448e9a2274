// qvcli update: what the update pages do for the chosen devices of the stored scan
// result: the download run, then, when it was not stopped, the install run, which
// backs up each device's driver before it installs the new package.
#include <set>

#include "cli/commands.h"
#include "cli/console_message_sink.h"
#include "cli/console_worker.h"
#include "cli/install_commands.h"
#include "core/errors.h"
#include "engine/data_manager.h"
#include "ui/plain_loop.h"

int RunUpdateCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  TDriverDatamodel model(context.ports);
  const TDriverMap devices = PickDevices(model, arguments, "update HID...");
  TDataManager engine(model, context.ports);

  TPlainLoop loop;
  TCallbackDispatcher dispatcher(loop);
  TConsoleInstallView view(context.out, context.err, context.ports.strings);
  TConsoleInstallHandler handler(dispatcher, view);
  TConsoleMessageSink sink(dispatcher, context.err);
  engine.SetMessageSink(&sink);
  struct TRelease {
    TCallbackDispatcher& dispatcher;
    TDataManager& engine;
    ~TRelease() {
      dispatcher.Shutdown();
      engine.SetMessageSink(nullptr);
    }
  } release{dispatcher, engine};

  size_t offered = 0;
  for (const TDeviceProperties* device : devices) {
    if (device->IsUpdated() || device->IsIgnored())
      context.out << device->strName << ": no driver update is offered (up to date or ignored).\n";
    else
      ++offered;
  }

  engine.m_stopped = false;
  // One device whose package is already there goes straight to its installation.
  const bool downloaded = devices.size() == 1 && engine.IsDownloadAvailable(devices.front()->strHID) != 0;
  if (!downloaded) {
    const TConsoleRunResult run =
        RunOnWorker(loop, context, [&] { engine.Download(devices, &handler); }, [&] { engine.DownloadCancel(); });
    model.DumpScanResults();  // links renewed during the run are kept
    if (!run.failure.empty()) {
      context.err << "The download failed: " << run.failure << "\n";
      return QVCLI_SERVER_PROBLEM;
    }
    if (engine.m_stopped) return run.stopAsked ? QVCLI_STOPPED : QVCLI_SERVER_PROBLEM;
  }

  std::set<const TDeviceProperties*> withPackage;
  size_t offeredWithPackage = 0;
  for (const TDeviceProperties* device : devices) {
    if (engine.IsDownloadAvailable(device->strHID) == 0) continue;
    withPackage.insert(device);
    if (!device->IsUpdated() && !device->IsIgnored()) ++offeredWithPackage;
  }
  handler.SetPackagesPresent(withPackage);
  const TConsoleRunResult run =
      RunOnWorker(loop, context, [&] { engine.Install(devices, &handler); }, [&] { engine.InstallCancel(); });
  if (!run.failure.empty()) {
    context.err << "The install failed: " << run.failure << "\n";
    return QVCLI_SERVER_PROBLEM;
  }
  if (handler.AnyInstallFailed()) return QVCLI_SERVER_PROBLEM;
  if (run.stopAsked || handler.AnyInstallStopped()) return QVCLI_STOPPED;
  // A device whose package could not be fetched or confirmed got nothing installed.
  if (view.Failures() > 0 || offeredWithPackage < offered) return QVCLI_SERVER_PROBLEM;
  return QVCLI_OK;
}
