#include "app/about_form.h"

#include <commctrl.h>

#include "app/app_texts.h"
#include "core/errors.h"
#include "core/url.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/modal_window.h"
#include "res/string_ids.h"

namespace {

constexpr const char* QV_PRODUCT_SITE = "https://www.quorvane.com";
constexpr int QV_ABOUT_WIDTH = 494;
constexpr int QV_ABOUT_HEIGHT = 346;
constexpr int QV_ABOUT_PANEL = 100;

enum : int { idVersion = 1, idDescription, idNotice, idEula, idPrivacy, idUninstall, idSeparator1, idSeparator2 };

// DwmSetWindowAttribute's caption and caption-text colours (Windows 11); older
// systems and Wine keep their own title bar.
void ColourTitleBar(HWND hwnd) {
  const TLibrary dwm = LoadSystemLibrary(L"dwmapi.dll");
  if (!dwm) return;
  using TSetAttribute = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  auto setAttribute =
      reinterpret_cast<TSetAttribute>(reinterpret_cast<void*>(GetProcAddress(dwm.Get(), "DwmSetWindowAttribute")));
  if (setAttribute) {
    const COLORREF caption = QV_COLOR_BAR;
    const COLORREF text = QV_COLOR_WHITE;
    setAttribute(hwnd, 35 /* DWMWA_CAPTION_COLOR */, &caption, sizeof(caption));
    setAttribute(hwnd, 36 /* DWMWA_TEXT_COLOR */, &text, sizeof(text));
  }
}

}  // namespace

TAboutForm::TAboutForm(TSystemPorts ports, HBITMAP logo) : m_ports(ports), m_logo(logo) {}

void TAboutForm::ShowModal(HWND owner) {
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const TLayoutRect rect = ModalFrameRect(owner, StartupDpi(), QV_ABOUT_WIDTH, QV_ABOUT_HEIGHT, style, WS_EX_DLGMODALFRAME);
  TClassStyle classStyle;
  classStyle.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (!Create(QV_ABOUT_CLASS, classStyle, style, WS_EX_DLGMODALFRAME, Utf8ToWide(Text(IDS_ABOUT_CAPTION)), rect,
              owner)) {
    return;
  }
  ColourTitleBar(Handle());
  // Escape closes the window.
  RunModalLoop(Handle(), owner, [this] { return m_closed; }, [this](const MSG& message) {
    if (message.wParam != VK_ESCAPE) return false;
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
    return true;
  });
  if (Handle()) DestroyWindow(Handle());
}

void TAboutForm::OnCreate() {
  m_white.Reset(CreateSolidBrush(QV_COLOR_WHITE));
  m_textFont = MakeFont(L"Tahoma", Scale(12));
  m_linkFont = MakeFont(L"Tahoma", Scale(13), true);
  m_tips.Create(Handle());
  const int width = Scale(QV_ABOUT_WIDTH);
  const int margin = Scale(20);
  const int top = Scale(QV_ABOUT_PANEL);

  const std::string version =
      Text(IDS_ABOUT_VERSION) + " " + ModuleVersionText(m_ports.moduleVersion, Text(IDS_ABOUT_VERSION_FORMAT));
  CreateLabel(Handle(), idVersion, version, {margin, top + Scale(16), width - margin, top + Scale(34)},
              m_textFont.Get());

  const std::string description =
      FormatText(Text(IDS_ABOUT_DESCRIPTION), "Quorvane") + Text(IDS_ABOUT_DESCRIPTION_MORE);
  HWND text = CreateWindowExW(0, WC_STATICW, Utf8ToWide(description).c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX,
                              margin, top + Scale(44), width - 2 * margin, Scale(90), Handle(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(idDescription)), GetModuleHandleW(nullptr),
                              nullptr);
  SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.Get()), FALSE);

  CreateLabel(Handle(), idNotice, LegalNoticeText(m_ports.strings),
              {margin, top + Scale(146), width - margin, top + Scale(164)}, m_textFont.Get());

  // The three links side by side, separated by "|".
  const struct {
    int id;
    int text;
    int hint;
    const char* path;
    int width;
  } links[] = {{idEula, IDS_ABOUT_EULA, IDS_ABOUT_EULA_HINT, "/eula/", 50},
               {idPrivacy, IDS_ABOUT_PRIVACY, IDS_ABOUT_PRIVACY_HINT, "/privacy/", 110},
               {idUninstall, IDS_ABOUT_UNINSTALL, IDS_ABOUT_UNINSTALL_HINT, "/uninstall/", 80}};
  int x = margin;
  const int y = top + Scale(190);
  for (size_t i = 0; i < 3; ++i) {
    const std::string markup = FormatText(Text(links[i].text), std::string(QV_PRODUCT_SITE) + links[i].path);
    HWND link = CreateWindowExW(0, WC_LINK, Utf8ToWide(markup).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y,
                                Scale(links[i].width), Scale(20), Handle(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(links[i].id)),
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(m_linkFont.Get()), FALSE);
    m_tips.Set(link, Text(links[i].hint));
    x += Scale(links[i].width);
    if (i < 2) {
      CreateLabel(Handle(), idSeparator1 + static_cast<int>(i), "|", {x, y, x + Scale(14), y + Scale(20)},
                  m_linkFont.Get(), SS_CENTER);
      x += Scale(14);
    }
  }
}

bool TAboutForm::OnPaint(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  FillSolid(dc, client, QV_COLOR_WHITE);
  RECT panel{0, 0, client.right, Scale(QV_ABOUT_PANEL)};
  FillSolid(dc, panel, QV_COLOR_BAR);
  if (m_logo) {
    const SIZE size = BitmapSize(m_logo);
    const int width = Scale(size.cx);
    const int height = Scale(size.cy);
    const int left = (client.right - width) / 2;
    const int top = (panel.bottom - height) / 2;
    DrawBitmapStretched(dc, m_logo, RECT{left, top, left + width, top + height});
  }
  return true;
}

HBRUSH TAboutForm::OnControlColor(HDC dc, HWND) {
  SetBkColor(dc, QV_COLOR_WHITE);
  SetTextColor(dc, HexColor(0x202020));
  return m_white.Get();
}

bool TAboutForm::OnNotify(const NMHDR& header) {
  if (header.code != NM_CLICK && header.code != NM_RETURN) return false;
  if (header.idFrom != idEula && header.idFrom != idPrivacy && header.idFrom != idUninstall) return false;
  const auto& link = reinterpret_cast<const NMLINK&>(header);
  OpenURL(m_ports.shell, WideToUtf8(std::wstring(link.item.szUrl)));
  return true;
}

void TAboutForm::OnDestroy() { m_closed = true; }
