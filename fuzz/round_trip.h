// The check every message fuzz target makes: decoding arbitrary bytes either
// fails with a codec error or gives a message that encodes and decodes again to
// the same bytes. Any other outcome aborts, which libFuzzer reports.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "proto/proto_errors.h"

template <typename TReader, typename TWriter, typename TMessage>
class TRoundTrip {
 public:
  static void Check(const uint8_t* data, size_t size) {
    TMessage first;
    if (!Decode(data, size, first)) return;
    const std::vector<uint8_t> encoded = Encode(first);
    TMessage second;
    if (!Decode(encoded.data(), encoded.size(), second)) std::abort();
    if (Encode(second) != encoded) std::abort();
  }

 private:
  static bool Decode(const uint8_t* data, size_t size, TMessage& message) {
    TReader reader;
    reader.GetBuf().Init(data, static_cast<int32_t>(size), false);
    try {
      reader.Load(message);
      return true;
    } catch (const EProtoError&) {
      return false;
    }
  }

  static std::vector<uint8_t> Encode(const TMessage& message) {
    TWriter writer;
    writer.Write(message);
    return writer.GetBuf().GetBytes();
  }
};
