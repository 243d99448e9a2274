#include "app/folder_picker.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/win32_com.h"
#include "platform/win32/win32_text.h"
#include "res/string_ids.h"

namespace {

// Owns a shell allocation (a path or an item id list).
template <typename T>
class TCoTaskMemory {
 public:
  ~TCoTaskMemory() { CoTaskMemFree(m_memory); }
  T** Receive() { return &m_memory; }
  T* Get() const { return m_memory; }

 private:
  T* m_memory = nullptr;
};

}  // namespace

std::optional<std::string> TFolderPicker::ChooseFolder(const std::string& start) {
  TComScope com;
  return m_vistaAndAbove ? ChooseWithItemDialog(start) : ChooseWithBrowseDialog();
}

std::optional<std::string> TFolderPicker::ChooseWithItemDialog(const std::string& start) {
  TComPtr<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(dialog.Receive()))))
    return ChooseWithBrowseDialog();
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  dialog->SetTitle(Utf8ToWide(m_strings.Load(m_titleId)).c_str());
  dialog->SetFileNameLabel(Utf8ToWide(m_strings.Load(IDS_FOLDER_FIELD_LABEL)).c_str());
  dialog->SetOkButtonLabel(Utf8ToWide(m_strings.Load(IDS_BUTTON_OK)).c_str());
  TComPtr<IShellItem> startItem;
  if (!start.empty() && SUCCEEDED(SHCreateItemFromParsingName(Utf8ToWide(start).c_str(), nullptr,
                                                              IID_PPV_ARGS(startItem.Receive()))))
    dialog->SetFolder(startItem.Get());
  if (FAILED(dialog->Show(m_owner))) return std::nullopt;  // cancelled or failed
  TComPtr<IShellItem> chosen;
  if (FAILED(dialog->GetResult(chosen.Receive()))) return std::nullopt;
  TCoTaskMemory<wchar_t> path;
  if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, path.Receive())) || !path.Get()) return std::nullopt;
  return WideToUtf8(path.Get());
}

std::optional<std::string> TFolderPicker::ChooseWithBrowseDialog() {
  const std::wstring title = Utf8ToWide(m_strings.Load(m_titleId));
  BROWSEINFOW browse{};
  browse.hwndOwner = m_owner;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  TCoTaskMemory<ITEMIDLIST> chosen;
  *chosen.Receive() = SHBrowseForFolderW(&browse);
  if (!chosen.Get()) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(chosen.Get(), path)) return std::nullopt;
  return WideToUtf8(path);
}
