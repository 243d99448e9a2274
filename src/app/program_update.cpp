#include "app/program_update.h"

#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cwchar>

#include "core/launch.h"
#include "engine/server_contract.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "res/string_ids.h"

namespace {

constexpr UINT QV_COMPLETE_PAUSE_MS = 1000;
constexpr DWORD QV_READ_BLOCK = 64 * 1024;
// How long ending the update waits for a cancelled download's thread.
constexpr std::chrono::milliseconds QV_CANCEL_GRACE{2000};
// The request's connect, send and receive time limits.
constexpr DWORD QV_DOWNLOAD_TIMEOUT_MS = 50000;

// A number header of the answer (status code), or nothing when it is absent.
bool QueryNumber(HINTERNET request, DWORD info, DWORD& value) {
  DWORD size = sizeof(value);
  DWORD index = 0;
  return HttpQueryInfoW(request, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, &index) != FALSE;
}

// Content-Length as a 64-bit number; 0 when the server sent none.
uint64_t QueryContentLength(HINTERNET request) {
  wchar_t text[32] = {};
  DWORD size = sizeof(text);
  DWORD index = 0;
  if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, &index)) return 0;
  wchar_t* end = nullptr;
  const unsigned long long length = std::wcstoull(text, &end, 10);
  return end != text ? length : 0;
}

}  // namespace

// The internet handles of a running download, shared by the worker and the
// window. The worker opens them; whoever takes the lock first after one is
// published closes it: the worker at the end, or Cancel, whose closing also
// breaks a read that waits on the network where the system supports that.
// After Cancel the worker posts nothing more.
struct TProgramUpdate::TTransfer {
  std::mutex mutex;
  std::condition_variable ended;
  HINTERNET session = nullptr;
  HINTERNET request = nullptr;
  std::atomic<bool> cancelled{false};
  bool finished = false;  // the worker has done all it will do

  // Publishes a handle the worker opened; false (and the handle closed) when cancelled.
  bool Publish(HINTERNET& slot, HINTERNET handle) {
    std::lock_guard lock(mutex);
    if (cancelled) {
      if (handle) InternetCloseHandle(handle);
      return false;
    }
    slot = handle;
    return handle != nullptr;
  }
  HINTERNET Get(HINTERNET& slot) {
    std::lock_guard lock(mutex);
    return slot;
  }
  void CloseAll() {
    std::lock_guard lock(mutex);
    if (request) InternetCloseHandle(request);
    if (session) InternetCloseHandle(session);
    request = nullptr;
    session = nullptr;
  }
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
    CloseAll();
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
  m_transfer = std::make_shared<TTransfer>();
  std::weak_ptr<TProgramUpdate*> self = m_self;
  TCallbackDispatcher& dispatcher = m_dispatcher;
  m_thread = std::thread([url = SetupUrl(), transfer = m_transfer, self, &dispatcher] {
    // No exception leaves the thread; one from the transfer counts as a failed download.
    TReceived received;
    try {
      received = Fetch(url, *transfer, [&](uint64_t bytes, uint64_t total) {
        transfer->Post(dispatcher, [self, bytes, total] {
          if (auto owner = self.lock(); owner && *owner) (*owner)->ProgramUpdateProgress(total, bytes);
        });
      });
    } catch (...) {
      received = TReceived{};
    }
    auto done = std::make_shared<TReceived>(std::move(received));
    transfer->Post(dispatcher, [self, done] {
      if (auto owner = self.lock(); owner && *owner) (*owner)->ProgramUpdateDownloaded(std::move(*done));
    });
    transfer->Finish();
  });
  return true;
}

TProgramUpdate::TReceived TProgramUpdate::Fetch(const std::string& url, TTransfer& transfer,
                                                const std::function<void(uint64_t, uint64_t)>& progress) {
  TReceived result;
  // The system's own connection settings; no proxy of the program's.
  if (!transfer.Publish(transfer.session,
                        InternetOpenW(Utf8ToWide(QV_USER_AGENT).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                                      nullptr, 0))) {
    return result;
  }
  HINTERNET session = transfer.Get(transfer.session);
  for (const DWORD option :
       {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    DWORD timeout = QV_DOWNLOAD_TIMEOUT_MS;
    if (session) InternetSetOptionW(session, option, &timeout, sizeof(timeout));
  }
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                      INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
  if (!session ||
      !transfer.Publish(transfer.request, InternetOpenUrlW(session, Utf8ToWide(url).c_str(), nullptr, 0, flags, 0))) {
    transfer.CloseAll();
    return result;
  }
  HINTERNET request = transfer.Get(transfer.request);
  // An error answer (404, 500 …) is a page about the error, not the setup.
  DWORD status = 0;
  const bool statusKnown = request && QueryNumber(request, HTTP_QUERY_STATUS_CODE, status);
  const bool statusOk = !statusKnown || (status >= 200 && status < 300);
  const uint64_t total = request ? QueryContentLength(request) : 0;

  bool readOk = request != nullptr;
  std::vector<uint8_t> block(QV_READ_BLOCK);
  while (readOk && statusOk && !transfer.cancelled) {
    DWORD read = 0;
    if (!InternetReadFile(request, block.data(), QV_READ_BLOCK, &read)) {
      readOk = false;
      break;
    }
    if (read == 0) break;
    result.body.insert(result.body.end(), block.begin(), block.begin() + read);
    progress(result.body.size(), total);
  }
  transfer.CloseAll();
  // A shorter answer than announced was cut off on the way.
  result.complete = readOk && statusOk && !transfer.cancelled && (total == 0 || result.body.size() == total);
  return result;
}

void TProgramUpdate::ProgramUpdateProgress(uint64_t total, uint64_t received) {
  if (const std::optional<int> percent = DownloadPercent(received, total); percent && m_progress) {
    m_progress->UpdateProgress(*percent, "");
  }
}

void TProgramUpdate::ProgramUpdateDownloaded(TReceived received) {
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
