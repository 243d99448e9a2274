#include "app/program_update.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>

#include "core/launch.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "res/string_ids.h"

namespace {

constexpr UINT QV_COMPLETE_PAUSE_MS = 1000;
// How long ending the update waits for a cancelled download's thread.
constexpr std::chrono::milliseconds QV_CANCEL_GRACE{2000};

}  // namespace

// A running download, shared by the worker and the window. Cancel closes the
// fetch's handles, which also breaks a call that waits on the network where the
// system supports that; after Cancel the worker posts nothing more.
struct TProgramUpdate::TTransfer {
  TTransfer(IInternetPort& internet, std::string url) : download(internet, std::move(url)) {}

  TSetupDownload download;
  std::mutex mutex;
  std::condition_variable ended;
  bool cancelled = false;
  bool finished = false;  // the worker has done all it will do

  // Hands work to the UI thread unless the download was cancelled.
  void Post(TCallbackDispatcher& dispatcher, std::function<void()> work) {
    std::lock_guard lock(mutex);
    if (!cancelled) dispatcher.Queue(std::move(work));
  }
  void Finish() {
    std::lock_guard lock(mutex);
    finished = true;
    ended.notify_all();
  }
  void Cancel() {
    {
      std::lock_guard lock(mutex);
      cancelled = true;
    }
    download.Cancel();
  }
  bool WaitFinished(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex);
    return ended.wait_for(lock, limit, [this] { return finished; });
  }
};

TProgramUpdate::TProgramUpdate(TCallbackDispatcher& dispatcher, TSystemPorts ports)
    : m_dispatcher(dispatcher), m_ports(ports), m_self(std::make_shared<TProgramUpdate*>(this)) {}

TProgramUpdate::~TProgramUpdate() {
  *m_self = nullptr;  // nothing posted earlier runs any more
  Cancel();
}

void TProgramUpdate::Cancel() {
  if (m_transfer) m_transfer->Cancel();
  if (m_thread.joinable()) {
    // A worker blocked in a request the system does not abort on closing (Wine)
    // is left to end on its own: it touches only the shared transfer from now on.
    if (!m_transfer || m_transfer->WaitFinished(QV_CANCEL_GRACE)) {
      m_thread.join();
    } else {
      m_thread.detach();
    }
  }
  m_transfer.reset();
}

std::string TProgramUpdate::SetupUrl() {
  // QUORVANE_SETUP_URL: another address of the setup, for tests against a local server.
  if (const wchar_t* value = _wgetenv(L"QUORVANE_SETUP_URL"); value && *value) return WideToUtf8(std::wstring(value));
  return QV_SETUP_URL;
}

std::string TProgramUpdate::SetupFilePath() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return {};
  // The temporary folder can be given in its short (8.3) form.
  std::wstring path(folder, length);
  const DWORD longLength = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (longLength > 0) {
    std::wstring longPath(longLength, L'\0');
    const DWORD written = GetLongPathNameW(path.c_str(), longPath.data(), longLength);
    if (written > 0 && written < longLength) path.assign(longPath.c_str(), written);
  }
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return WideToUtf8(path) + QV_SETUP_FILE_NAME;
}

bool TProgramUpdate::DoProgramUpdate(HWND owner, TProgressForm& progress) {
  if (m_downloading) return false;
  if (m_thread.joinable()) m_thread.join();  // the last download's thread has ended
  m_owner = owner;
  m_progress = &progress;
  m_outcome = TProgramUpdateOutcome::none;
  progress.ShowProgress(m_ports.strings.Load(IDS_PROGRESS_DOWNLOADING));

  m_downloading = true;
  m_transfer = std::make_shared<TTransfer>(m_ports.internet, SetupUrl());
  std::weak_ptr<TProgramUpdate*> self = m_self;
  TCallbackDispatcher& dispatcher = m_dispatcher;
  m_thread = std::thread([transfer = m_transfer, self, &dispatcher] {
    // No exception leaves the thread; one from the transfer counts as a failed download.
    TSetupDownloaded received;
    try {
      received = transfer->download.Fetch([&](uint64_t bytes, uint64_t total) {
        transfer->Post(dispatcher, [self, bytes, total] {
          if (auto owner = self.lock(); owner && *owner) (*owner)->ProgramUpdateProgress(total, bytes);
        });
      });
    } catch (...) {
      received = TSetupDownloaded{};
    }
    auto done = std::make_shared<TSetupDownloaded>(std::move(received));
    transfer->Post(dispatcher, [self, done] {
      if (auto owner = self.lock(); owner && *owner) (*owner)->ProgramUpdateDownloaded(std::move(*done));
    });
    transfer->Finish();
  });
  return true;
}

void TProgramUpdate::ProgramUpdateProgress(uint64_t total, uint64_t received) {
  if (const std::optional<int> percent = DownloadPercent(received, total); percent && m_progress) {
    m_progress->UpdateProgress(*percent, "");
  }
}

void TProgramUpdate::ProgramUpdateDownloaded(TSetupDownloaded received) {
  if (m_thread.joinable()) m_thread.join();  // it posted this as its last act
  m_transfer.reset();
  if (!received.complete) {
    // Nothing is saved or started, and no completion is shown for a failure.
    if (m_progress) m_progress->HideProgress();
    m_downloading = false;
    m_outcome = TProgramUpdateOutcome::failed;
    return;
  }
  const std::string target = SetupFilePath();
  bool saved = false;
  // A setup of that name still running (an earlier update) keeps its file.
  if (!target.empty() && !IsProcessRunning(m_ports.processes, target)) saved = SaveReplacing(target, received.body);
  received.body = {};

  if (!m_progress) {
    Finish(saved, target);
    return;
  }
  m_progress->UpdateProgress(100, m_ports.strings.Load(IDS_PROGRESS_COMPLETE));
  UpdateWindow(m_progress->Handle());
  std::weak_ptr<TProgramUpdate*> self = m_self;
  m_progress->HideProgressAfter(QV_COMPLETE_PAUSE_MS, [self, saved, target] {
    if (auto owner = self.lock(); owner && *owner) (*owner)->Finish(saved, target);
  });
}

void TProgramUpdate::Finish(bool saved, const std::string& target) {
  m_downloading = false;
  if (!saved) {
    m_outcome = TProgramUpdateOutcome::notSaved;
    return;
  }
  // The shell's default action, in a normal window; above 32 means it started.
  if (m_ports.shell.Execute("", target, "", SW_SHOWNORMAL) > 32) {
    m_outcome = TProgramUpdateOutcome::started;
    if (m_owner) PostMessageW(m_owner, WM_CLOSE, 0, 0);
  } else {
    m_outcome = TProgramUpdateOutcome::notStarted;
  }
}

bool TProgramUpdate::SaveReplacing(const std::string& target, const std::vector<uint8_t>& body) {
  // Written beside the target, then moved over the older file in one step.
  const std::string part = target + ".part";
  const std::wstring widePart = Utf8ToWide(part);
  bool written = false;
  {
    TSnapshotHandle file(CreateFileW(widePart.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    written = true;
    size_t offset = 0;
    while (written && offset < body.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(body.size() - offset, 1u << 20));
      DWORD done = 0;
      written = WriteFile(file.Get(), body.data() + offset, chunk, &done, nullptr) && done == chunk;
      offset += done;
    }
  }
  if (written && m_ports.fileSystem.MoveFileOver(part, target)) return true;
  DeleteFileW(widePart.c_str());
  return false;
}
