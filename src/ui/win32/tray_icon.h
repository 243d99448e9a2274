// The notification-area icon. It belongs to a hidden top-level window of its
// own, which also hears Explorer's "TaskbarCreated" broadcast and then adds
// the icon again if it was visible.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/win32/window.h"

class TTrayIcon : public TWindow {
 public:
  struct TMenuItem {
    int command;          // 0: a separator
    std::string caption;  // with its "&" access key
  };

  ~TTrayIcon() override;
  bool Create(HICON icon);
  void SetHint(const std::string& hint);
  void SetBalloon(const std::string& title, const std::string& text);
  void SetMenu(std::vector<TMenuItem> items) { m_menu = std::move(items); }
  void SetVisible(bool visible);
  bool Visible() const { return m_visible; }
  void ShowBalloon();
  void OnDoubleClick(std::function<void()> handler) { m_onDoubleClick = std::move(handler); }
  void OnMenuCommand(std::function<void(int)> handler) { m_onCommand = std::move(handler); }

 protected:
  bool OnUndecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void OnCommand(int id, int code, HWND control) override;

 private:
  bool Notify(DWORD action, UINT flags);
  void ShowMenu();

  HICON m_icon = nullptr;  // borrowed: the caller keeps it while the icon shows
  std::wstring m_hint;
  std::wstring m_balloonTitle;
  std::wstring m_balloonText;
  bool m_visible = false;
  UINT m_taskbarCreated = 0;
  std::vector<TMenuItem> m_menu;
  std::function<void()> m_onDoubleClick;
  std::function<void(int)> m_onCommand;
};
