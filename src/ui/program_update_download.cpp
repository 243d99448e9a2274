#include "ui/program_update_download.h"

#include "core/launch.h"
#include "core/paths.h"
#include "engine/setup_signature.h"
#include "engine/work_area.h"
#include "res/string_ids.h"
#include "ui/progress_state.h"

namespace {

// How long the completed download stays on the screen before the setup starts.
constexpr unsigned QV_COMPLETE_PAUSE_MS = 1000;
// ShellExecuteW's results above this mean the setup started.
constexpr intptr_t QV_SHELL_STARTED_ABOVE = 32;
// The setup's options when the program's update starts it: no pages, and the new
// version started when it has installed.
constexpr const char* QV_UPDATE_SETUP_PARAMETERS = "/S /UPDATE";

}  // namespace

TProgramUpdateDownload::TProgramUpdateDownload(IUiThreadPort& uiThread, TSystemPorts ports,
                                               IFileSignature& signatures, uint64_t setupSizeLimit)
    : m_uiThread(uiThread), m_ports(ports), m_signatures(signatures), m_setupSizeLimit(setupSizeLimit) {}

TProgramUpdateDownload::~TProgramUpdateDownload() { EndTask(); }

void TProgramUpdateDownload::EndTask() {
  if (m_fetch) m_fetch->Cancel();
  if (m_dispatcher) m_dispatcher->Shutdown();
  m_task.reset();
  m_dispatcher.reset();
  m_fetch.reset();
  m_partial.reset();  // a setup that is not whole is deleted
}

bool TProgramUpdateDownload::Start(const std::string& url, const std::string& fileName, IProgramUpdateView& view) {
  if (m_downloading) return false;
  EndTask();  // the last download's worker has posted its end; it is ending
  m_view = &view;
  m_fileName = fileName;
  m_target.clear();
  m_outcome = TProgramUpdateOutcome::none;
  m_complete = false;
  view.ShowProgress(m_ports.strings.Load(IDS_PROGRESS_DOWNLOADING));

  m_downloading = true;
  m_dispatcher = std::make_unique<TCallbackDispatcher>(m_uiThread);
  m_fetch = std::make_unique<TSetupDownload>(m_ports.internet, url, m_setupSizeLimit);
  m_task = std::make_unique<TWorkerTask>(
      *m_dispatcher,
      [this] {
        IFileSystem& fileSystem = m_ports.fileSystem;
        const std::string folder = TWorkArea(m_ports.shell, fileSystem).Folder(QV_UPDATE_FOLDER_NAME);
        if (folder.empty() || m_fileName.empty()) return;
        const std::string target = JoinPath(folder, m_fileName);
        RemoveLeftoverTemporaries(fileSystem, target);  // of an update that was killed
        auto partial = std::make_unique<TPartialFile>(fileSystem, target);
        if (partial->File() == nullptr) return;
        m_partial = std::move(partial);
        m_complete = m_fetch->Fetch(*m_partial->File(), [this](uint64_t received, uint64_t total) {
          m_dispatcher->Queue([this, received, total] { ProgramUpdateProgress(total, received); });
        });
      },
      [this] { ProgramUpdateDownloaded(); });
  return true;
}

void TProgramUpdateDownload::ProgramUpdateProgress(uint64_t total, uint64_t received) {
  if (const std::optional<int> percent = DownloadPercent(received, total)) m_view->UpdateProgress(*percent, "");
}

void TProgramUpdateDownload::ProgramUpdateDownloaded() {
  // Deleted on every path below unless it is moved over its name.
  const std::unique_ptr<TPartialFile> partial = std::move(m_partial);
  if (!partial || !m_complete) {
    // Nothing is saved or started, and no completion is shown for a failure.
    m_view->HideProgress();
    m_downloading = false;
    m_outcome = partial ? TProgramUpdateOutcome::failed : TProgramUpdateOutcome::notSaved;
    return;
  }
  // A setup of that name still running (an earlier update) keeps its file.
  const bool saved = !IsProcessRunning(m_ports.processes, partial->Target()) && partial->Commit();
  if (saved) m_target = partial->Target();

  m_view->UpdateProgress(100, m_ports.strings.Load(IDS_PROGRESS_COMPLETE));
  std::weak_ptr<bool> alive = m_alive;
  m_view->HideProgressAfter(QV_COMPLETE_PAUSE_MS, [this, alive, saved] {
    if (alive.lock()) Finish(saved);
  });
}

void TProgramUpdateDownload::Finish(bool saved) {
  m_downloading = false;
  if (!saved) {
    m_outcome = TProgramUpdateOutcome::notSaved;
    return;
  }
  // Checked right before it runs, and held unchanged until it has started.
  std::unique_ptr<IHeldFile> held = m_signatures.Hold(m_target);
  auto refuse = [&](TProgramUpdateOutcome outcome, int message) {
    held.reset();
    m_ports.fileSystem.DeleteFileAt(m_target);
    m_outcome = outcome;
    m_view->ShowError(m_ports.strings.Load(message));
  };
  if (!held || !SignedLikeProgram(m_signatures, m_target, m_ports.processes.ModuleFileName())) {
    refuse(TProgramUpdateOutcome::notVerified, IDS_UPDATE_NOT_VERIFIED);
    return;
  }
  // A setup signed as the program but not newer than it (an older release served again)
  // would put back what an update replaced.
  const std::optional<TFileVersion> running = m_ports.moduleVersion.OwnFileVersion();
  const std::optional<TFileVersion> offered = m_ports.moduleVersion.FileVersionOf(m_target);
  if (!running || !offered || *offered <= *running) {
    refuse(TProgramUpdateOutcome::notNewer, IDS_UPDATE_NOT_NEWER);
    return;
  }
  // The shell's default action, in a normal window.
  if (m_ports.shell.Execute("", m_target, QV_UPDATE_SETUP_PARAMETERS, SW_SHOWNORMAL) > QV_SHELL_STARTED_ABOVE) {
    m_outcome = TProgramUpdateOutcome::started;
    m_view->CloseOwner();
  } else {
    m_outcome = TProgramUpdateOutcome::notStarted;
  }
}
