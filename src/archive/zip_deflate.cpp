#include "archive/zip_deflate.h"

#include <zlib.h>

#include <stdexcept>

std::string DeflateRaw(std::string_view AContent, int ALevel) {
  z_stream stream{};
  if (deflateInit2(&stream, ALevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("zlib cannot start deflating");
  std::string out(deflateBound(&stream, static_cast<uLong>(AContent.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(AContent.data()));
  stream.avail_in = static_cast<uInt>(AContent.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) throw std::runtime_error("zlib could not deflate the data");
  return out;
}
