// The protected folders of the file-system port: made with an explicit administrators-only
// DACL, and checked through a handle on the folder itself, never by a path checked before.
#include <windows.h>
// sddl.h and aclapi.h need windows.h first.
#include <aclapi.h>
#include <sddl.h>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace {

// Owner Administrators; SYSTEM and Administrators full control, Users read and execute,
// each inherited by what is made inside; "P" blocks what the parent would pass down.
constexpr const wchar_t* PROTECTED_FOLDER_SDDL = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// Any right that lets its holder change the folder, what is in it, or who may.
constexpr ACCESS_MASK CHANGE_RIGHTS = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                      FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                      GENERIC_ALL | MAXIMUM_ALLOWED;

// Wine keeps no security descriptor of a file: it shows every file as its own user's, with a
// DACL made from the Unix mode, and enforces none. Under Wine that user stands for the
// Administrators a protected folder belongs to on Windows; on Windows the user is never
// trusted, since the user's unelevated processes act as that user too.
class TTrustedAccounts {
 public:
  TTrustedAccounts() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    const TKernelHandle owned(token);
    DWORD size = sizeof(m_tokenUser);
    if (GetTokenInformation(token, TokenUser, m_tokenUser, size, &size))
      m_wineUser = reinterpret_cast<TOKEN_USER*>(m_tokenUser)->User.Sid;
  }

  bool Trusts(PSID sid) const {
    return IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid) ||
           (m_wineUser != nullptr && EqualSid(sid, m_wineUser));
  }

 private:
  alignas(TOKEN_USER) BYTE m_tokenUser[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
  PSID m_wineUser = nullptr;
};

// Whether every entry of the DACL that allows a change allows it to trusted accounts only;
// an entry of a kind this check does not read counts as allowing a change.
bool OnlyTrustedMayChange(PACL dacl, const TTrustedAccounts& trusted) {
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* entry = nullptr;
    if (!GetAce(dacl, index, &entry)) return false;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    if ((allowed->Mask & CHANGE_RIGHTS) != 0 && !trusted.Trusts(&allowed->SidStart)) return false;
  }
  return true;
}

}  // namespace

bool TWin32FileSystem::CreateProtectedFolder(const std::string& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(PROTECTED_FOLDER_SDDL, SDDL_REVISION_1, &descriptor,
                                                            nullptr))
    return false;
  const TLocalMemory<void> owned(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  return CreateDirectoryW(Utf8ToWide(path).c_str(), &attributes) != FALSE;
}

bool TWin32FileSystem::IsProtectedFolder(const std::string& path) {
  TFileHandle folder(CreateFileW(Utf8ToWide(path).c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!folder) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(folder.Get(), &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return false;
  // Wine opens a Unix symbolic link's target even with FILE_FLAG_OPEN_REPARSE_POINT and
  // reports the link as a reparse point only by its path: asked that way too.
  const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(folder.Get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                      nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  const TLocalMemory<void> owned(descriptor);
  // A missing DACL grants everyone everything.
  const TTrustedAccounts trusted;
  return owner != nullptr && trusted.Trusts(owner) && dacl != nullptr && OnlyTrustedMayChange(dacl, trusted);
}

bool TWin32FileSystem::MoveAside(const std::string& source, const std::string& target) {
  return MoveFileExW(Utf8ToWide(source).c_str(), Utf8ToWide(target).c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}
