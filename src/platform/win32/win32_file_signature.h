// TWin32FileSignature: the file-signature port over WinVerifyTrust and its provider data.
#pragma once

#include "platform/file_signature.h"

class TWin32FileSignature : public IFileSignature {
 public:
  TFileSignature Read(const std::string& path) override;
};
