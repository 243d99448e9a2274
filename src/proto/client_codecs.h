// Encoders and decoder of the version and download-status messages:
// TCVBuilder and TCVReader for TClientVersion, TStatusBuilder for TClientStatus.
#pragma once

#include "proto/client_messages.h"
#include "proto/pb_input.h"
#include "proto/pb_output.h"

class TCVBuilder {
 public:
  // Fields 1 to 5, each only when not empty.
  void Write(const TClientVersion& ClientVersion);
  TProtoBufOutput& GetBuf() { return FBuffer; }

 private:
  TProtoBufOutput FBuffer;
};

class TCVReader {
 public:
  TProtoBufInput& GetBuf() { return FBuffer; }
  // Fields the input does not carry keep their values.
  void Load(TClientVersion& ClientVersion);

 private:
  TProtoBufInput FBuffer;
};

class TStatusBuilder {
 public:
  // One field 1 entry per download, both texts always written; nothing when empty.
  void Write(const TClientStatus& aClientStatus);
  TProtoBufOutput& GetBuf() { return FBuffer; }

 private:
  TProtoBufOutput FBuffer;
};
