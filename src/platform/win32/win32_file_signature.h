// TWin32FileSignature: the file-signature port over WinVerifyTrust and its provider data.
#pragma once

#include "platform/file_signature.h"

class TWin32FileSignature : public IFileSignature {
 public:
  std::unique_ptr<IHeldFile> Hold(const std::string& path) override;
  TFileSignature Read(const std::string& path) override;
};
