#include "platform/sim/sim_shell.h"

namespace {

class TSimProcessHandle : public IProcessHandle {
 public:
  TSimProcessHandle(TSimShell::TLaunch& launch, uint32_t exitCode)
      : m_launch(launch), m_exitCode(exitCode) {}
  uint32_t WaitForExit() override {
    m_launch.waited = true;
    return m_exitCode;
  }

 private:
  TSimShell::TLaunch& m_launch;
  uint32_t m_exitCode;
};

}  // namespace

bool TSimShell::ExecuteEx(const TShellExecuteRequest& request,
                          std::unique_ptr<IProcessHandle>& process) {
  if (!executeSucceeds) return false;
  if (onExecute) onExecute(request);
  launches.push_back(TLaunch{request, false});
  if (request.mask & SEE_MASK_NOCLOSEPROCESS)
    process = std::make_unique<TSimProcessHandle>(launches.back(), exitCode);
  return true;
}

intptr_t TSimShell::Execute(const std::string& verb, const std::string& file,
                            const std::string& parameters, int show) {
  const TShellExecuteRequest request{0, 0, verb, file, parameters, "", show};
  if (onExecute) onExecute(request);
  launches.push_back(TLaunch{request, false});
  return executeResult;
}
