#include "core/file_md5.h"

#include <fstream>
#include <vector>

#include "core/errors.h"
#include "core/paths.h"

std::string GetFileMD5(IHashing& hashing, const std::string& AFileName) {
  std::ifstream in(ToPath(AFileName), std::ios::binary);
  if (!in) throw EInOutError(FormatText("Cannot open file \"%s\"", AFileName));
  std::unique_ptr<IMd5> md5 = hashing.CreateMd5();
  std::vector<char> buffer(64 * 1024);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    md5->Update(buffer.data(), static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) throw EInOutError(FormatText("Cannot read file \"%s\"", AFileName));
  const TMd5Digest digest = md5->Finish();
  return LowerHexDigest(digest.data(), digest.size());
}

std::string LowerHexDigest(const uint8_t* digest, size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < size; ++i) {
    text += digits[digest[i] >> 4];
    text += digits[digest[i] & 15];
  }
  return text;
}
