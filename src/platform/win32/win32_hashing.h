// Hashing port: MD5 and SHA-256 through Windows CNG (bcrypt).
#pragma once

#include "platform/hashing.h"

class TWin32Hashing : public IHashing {
 public:
  std::unique_ptr<IMd5> CreateMd5() override;
  std::unique_ptr<ISha256> CreateSha256() override;
};
