// MD5 and SHA-256 through OpenSSL's libcrypto, for the native build.
#pragma once

#include "platform/hashing.h"

class TOpenSslHashing : public IHashing {
 public:
  std::unique_ptr<IMd5> CreateMd5() override;
  std::unique_ptr<ISha256> CreateSha256() override;
};
