// qvcli install: the install run on devices of the stored scan result whose packages
// are in the download folder; each device's driver is backed up first. Also what qvcli
// update shares with it: the devices picked, the console's install handler, the worker run.
#include <algorithm>

#include "cli/commands.h"
#include "cli/console_message_sink.h"
#include "cli/console_worker.h"
#include "cli/install_commands.h"
#include "core/errors.h"
#include "engine/data_manager.h"
#include "ui/callback_relay.h"
#include "ui/plain_loop.h"

TDriverMap PickDevices(const TDriverDatamodel& model, const std::vector<std::string>& arguments, const char* usage) {
  TDriverMap devices;
  for (const std::string& argument : arguments) {
    if (argument.rfind("--", 0) == 0) throw EQvError(std::string("usage: ") + usage);
    TDeviceProperties* device = model.GetDevice(argument);
    if (!device) throw EQvError("no device with the hardware id '" + argument + "' in the last scan");
    if (std::find(devices.begin(), devices.end(), device) == devices.end()) devices.push_back(device);
  }
  if (devices.empty()) throw EQvError(std::string("usage: ") + usage);
  std::stable_sort(devices.begin(), devices.end(), [](const TDeviceProperties* a, const TDeviceProperties* b) {
    return CompareClassDescription(*a, *b) < 0;
  });
  return devices;
}

void TConsoleInstallHandler::StartInstall(int32_t nCount) {
  m_dispatcher.Queue([this, nCount] { m_view.ShowLine("Starting install of " + std::to_string(nCount) + " drivers."); });
  TCallbackRelay::StartInstall(nCount);
}

void TConsoleInstallHandler::FinishDriverInstall(const TDeviceProperties& deviceProps, int32_t AResult) {
  const int32_t result = InstallResult(deviceProps, AResult);
  if (result == 1) m_installFailed = true;
  if (result == 2) m_installStopped = true;
  TCallbackRelay::FinishDriverInstall(deviceProps, AResult);
}

void TConsoleInstallHandler::StartFileExtract(const std::string& AFileName) {
  m_dispatcher.Queue([this, line = "  " + AFileName] { m_view.ShowLine(line); });
}

bool RunWithConsole(const TCliContext& context, TPlainLoop& loop, const std::function<void()>& work,
                    const std::function<void()>& cancel) {
  const TConsoleRunResult run = RunOnWorker(loop, context, work, cancel);
  if (!run.failure.empty()) throw EQvError(run.failure);
  return run.stopAsked;
}

int RunInstallCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  TDriverDatamodel model(context.ports);
  const TDriverMap devices = PickDevices(model, arguments, "install HID...");
  TDataManager engine(model, context.ports);

  std::set<const TDeviceProperties*> withPackage;
  for (const TDeviceProperties* device : devices) {
    if (engine.IsDownloadAvailable(device->strHID) != 0)
      withPackage.insert(device);
    else
      context.out << device->strName << ": no downloaded package; run qvcli download or qvcli update first.\n";
  }
  if (withPackage.empty()) {
    context.err << "Nothing to install.\n";
    return QVCLI_SERVER_PROBLEM;
  }

  TPlainLoop loop;
  TCallbackDispatcher dispatcher(loop);
  TConsoleInstallView view(context.out, context.err, context.ports.strings);
  TConsoleInstallHandler handler(dispatcher, view);
  handler.SetPackagesPresent(withPackage);
  TConsoleMessageSink sink(dispatcher, context.err);
  engine.SetMessageSink(&sink);
  const TConsoleRunResult run =
      RunOnWorker(loop, context, [&] { engine.Install(devices, &handler); }, [&] { engine.InstallCancel(); });
  dispatcher.Shutdown();
  engine.SetMessageSink(nullptr);

  if (!run.failure.empty()) {
    context.err << "The install failed: " << run.failure << "\n";
    return QVCLI_SERVER_PROBLEM;
  }
  if (handler.AnyInstallFailed()) return QVCLI_SERVER_PROBLEM;
  if (run.stopAsked || handler.AnyInstallStopped()) return QVCLI_STOPPED;
  return QVCLI_OK;
}
