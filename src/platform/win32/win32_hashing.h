// Hashing port: MD5 through Windows CNG (bcrypt).
#pragma once

#include "platform/hashing.h"

class TWin32Hashing : public IHashing {
 public:
  std::unique_ptr<IMd5> CreateMd5() override;
};
