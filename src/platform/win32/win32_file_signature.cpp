#include "platform/win32/win32_file_signature.h"

#include <windows.h>
// wintrust.h and softpub.h need windows.h first.
#include <softpub.h>
#include <wintrust.h>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace {

class TWin32HeldFile : public IHeldFile {
 public:
  explicit TWin32HeldFile(HANDLE file) : m_file(file) {}

 private:
  TOwnedHandle<HANDLE, CloseHandle, &InvalidHandle> m_file;
};

// The signer certificate's public key as DER SubjectPublicKeyInfo, from the provider
// data a verification left open.
std::vector<uint8_t> SignerKey(HANDLE stateData) {
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(stateData);
  if (!provider) return {};
  CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
  if (!signer) return {};
  CRYPT_PROVIDER_CERT* certificate = WTHelperGetProvCertFromChain(signer, 0);
  if (!certificate || !certificate->pCert || !certificate->pCert->pCertInfo) return {};
  CERT_PUBLIC_KEY_INFO* key = &certificate->pCert->pCertInfo->SubjectPublicKeyInfo;
  DWORD size = 0;
  if (!CryptEncodeObject(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, nullptr, &size) || size == 0) return {};
  std::vector<uint8_t> encoded(size);
  if (!CryptEncodeObject(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, encoded.data(), &size)) return {};
  encoded.resize(size);
  return encoded;
}

}  // namespace

std::unique_ptr<IHeldFile> TWin32FileSignature::Hold(const std::string& path) {
  HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<TWin32HeldFile>(file);
}

TFileSignature TWin32FileSignature::Read(const std::string& path) {
  const std::wstring widePath = Utf8ToWide(path);
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = widePath.c_str();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;

  TFileSignature signature;
  signature.trust = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  if (data.hWVTStateData) {
    signature.signerKey = SignerKey(data.hWVTStateData);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  }
  return signature;
}
