// File-signature port: a program file's Authenticode signature as Windows checks it
// before running the file (WinVerifyTrust), and the public key of its signer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// WinVerifyTrust's results the program tells apart (HRESULT values).
constexpr int32_t QV_TRUST_VERIFIED = 0;
constexpr int32_t QV_TRUST_E_NOSIGNATURE = static_cast<int32_t>(0x800B0100);
constexpr int32_t QV_TRUST_E_BAD_DIGEST = static_cast<int32_t>(0x80096010);
constexpr int32_t QV_CERT_E_UNTRUSTEDROOT = static_cast<int32_t>(0x800B0109);

struct TFileSignature {
  // WinVerifyTrust's result: QV_TRUST_VERIFIED for a whole file whose signature is
  // valid and whose signer chains to a trusted root.
  int32_t trust = QV_TRUST_E_NOSIGNATURE;
  // The signer certificate's SubjectPublicKeyInfo (DER); empty when none was read.
  std::vector<uint8_t> signerKey;
};

// A file held open so that nobody can write, rename or delete it until released.
class IHeldFile {
 public:
  virtual ~IHeldFile() = default;
};

class IFileSignature {
 public:
  virtual ~IFileSignature() = default;
  // Opens the file for reading, sharing it for reading only (CreateFileW with
  // FILE_SHARE_READ): what is checked is what runs. Null when it cannot be opened so.
  virtual std::unique_ptr<IHeldFile> Hold(const std::string& path) = 0;
  // WINTRUST_ACTION_GENERIC_VERIFY_V2 on the file, with no user interface and no
  // network retrieval.
  virtual TFileSignature Read(const std::string& path) = 0;
};
