// TProgressForm: the small window shown while the program downloads a newer
// version of itself: a smooth bar with the percentage drawn on it, and a status
// line below. One instance lives as long as the program; it stays hidden until
// ShowProgress.
#pragma once

#include <functional>
#include <string>

#include "platform/string_table.h"
#include "ui/progress_state.h"
#include "ui/win32/gdi.h"
#include "ui/win32/window.h"

inline constexpr const wchar_t* QV_PROGRESS_CLASS = L"TProgressForm";

class TProgressForm : public TWindow {
 public:
  explicit TProgressForm(IStringTable& strings);
  ~TProgressForm() override;
  // FormCreate: creates the window hidden, owned by `owner` (the main window).
  bool Create(HWND owner);

  // Sets the status line and shows the window, not modal, centred on its owner.
  void ShowProgress(const std::string& AStatus);
  // The percentage on the bar and in it; AStatus replaces the status line unless empty.
  void UpdateProgress(int AValue, const std::string& AStatus);
  void HideProgress();
  // Hides the window after `milliseconds`, painting meanwhile, then runs `afterHide`.
  // A new showing before then cancels both.
  void HideProgressAfter(UINT milliseconds, std::function<void()> afterHide);

  const TProgressLook& Look() const { return m_state.Look(); }
  HWND ProgressBar() const { return m_bar; }
  HWND ProgressStatus() const { return m_status; }

 protected:
  void OnCreate() override;
  void OnShow(bool visible) override;
  void OnTimer(UINT_PTR id) override;
  void OnDpiChanged(int dpi, const RECT* suggested) override;
  void OnDestroy() override;
  bool OnClose() override { return false; }  // only the program hides it

 private:
  static LRESULT CALLBACK BarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data);
  void PaintBar(HWND bar, HDC dc);
  void LayOut();
  void Replay(const std::vector<TBarStep>& steps);
  void ApplyTexts();
  void CancelHide();

  IStringTable& m_strings;
  HWND m_owner = nullptr;
  HWND m_bar = nullptr;     // ProgressBar
  HWND m_status = nullptr;  // ProgressStatus
  TFont m_font;
  TProgressState m_state;
  std::function<void()> m_afterHide;
  bool m_hideTimer = false;
};
