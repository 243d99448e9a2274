#include "proto/message_fields.h"

void ReadSingleStringMessage(TProtoBufInput& in, std::string& field1) {
  ReadEmbedded(in, [&](uint32_t tag) {
    if (FieldNumber(tag) == 1) {
      ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
      field1 = in.readString();
    } else {
      in.skipField(tag);
    }
  });
}

void ReadOperatingSystem(TProtoBufInput& in, TOperatingSystem& os) {
  ReadEmbedded(in, [&](uint32_t tag) {
    std::string* field = nullptr;
    switch (FieldNumber(tag)) {
      case 1: field = &os.Fname; break;
      case 2: field = &os.Fversion; break;
      case 3: field = &os.Farchitecture; break;
      default: in.skipField(tag); return;
    }
    ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
    *field = in.readString();
  });
}
