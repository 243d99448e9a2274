#include "ui/win32/taskbar_progress.h"

#include <objbase.h>
#include <shobjidl.h>

#include <algorithm>

TTaskbarProgress::TTaskbarProgress(HWND window) : m_window(window) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // S_FALSE: already initialised, still to be balanced; RPC_E_CHANGED_MODE: a
  // multithreaded apartment that works as well and is not ours to end.
  m_uninitializeCom = SUCCEEDED(com);
  ITaskbarList3* taskbar = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                              reinterpret_cast<void**>(&taskbar))) ||
      !taskbar) {
    return;
  }
  if (FAILED(taskbar->HrInit())) {
    taskbar->Release();
    return;
  }
  m_taskbar = taskbar;
}

TTaskbarProgress::~TTaskbarProgress() {
  if (m_taskbar) {
    if (m_window && IsWindow(m_window)) m_taskbar->SetProgressState(m_window, TBPF_NOPROGRESS);
    m_taskbar->Release();
  }
  if (m_uninitializeCom) CoUninitialize();
}

bool TTaskbarProgress::SetState(TTaskbarState state) {
  if (!m_taskbar || !m_window) return false;
  TBPFLAG flag = TBPF_NOPROGRESS;
  switch (state) {
    case TTaskbarState::none: flag = TBPF_NOPROGRESS; break;
    case TTaskbarState::normal: flag = TBPF_NORMAL; break;
    case TTaskbarState::paused: flag = TBPF_PAUSED; break;
    case TTaskbarState::error: flag = TBPF_ERROR; break;
    case TTaskbarState::indeterminate: flag = TBPF_INDETERMINATE; break;
  }
  return SUCCEEDED(m_taskbar->SetProgressState(m_window, flag));
}

bool TTaskbarProgress::SetValue(uint64_t done, uint64_t total) {
  m_done = done;
  m_total = total;
  return Show();
}

bool TTaskbarProgress::SetMax(uint64_t total) {
  m_total = total;
  return Show();
}

bool TTaskbarProgress::StepBy(uint64_t amount) {
  m_done += amount;
  return Show();
}

bool TTaskbarProgress::Show() {
  if (!m_taskbar || !m_window) return false;
  // An empty range shows nothing done; a position past the end, a full bar.
  const ULONGLONG total = std::max<uint64_t>(m_total, 1);
  const ULONGLONG done = m_total == 0 ? 0 : std::min(m_done, m_total);
  return SUCCEEDED(m_taskbar->SetProgressValue(m_window, done, total));
}
