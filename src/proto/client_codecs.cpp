#include "proto/client_codecs.h"

#include "proto/message_fields.h"

namespace {

// The string fields of TClientVersion by field number (1 to 5).
constexpr std::string TClientVersion::*VERSION_STRINGS[] = {
    nullptr,
    &TClientVersion::Fversion_major,
    &TClientVersion::Fversion_minor,
    &TClientVersion::Fversion_vminor,
    &TClientVersion::Fversion_vbuild,
    &TClientVersion::Freadme,
};

}  // namespace

void TCVBuilder::Write(const TClientVersion& ClientVersion) {
  for (uint32_t field = 1; field <= 5; ++field)
    WriteStringIfNotEmpty(FBuffer, field, ClientVersion.*VERSION_STRINGS[field]);
}

void TCVReader::Load(TClientVersion& ClientVersion) {
  while (uint32_t tag = FBuffer.readTag()) {
    const uint32_t field = FieldNumber(tag);
    if (field >= 1 && field <= 5) {
      ExpectWireType(tag, WIRETYPE_LENGTH_DELIMITED);
      ClientVersion.*VERSION_STRINGS[field] = FBuffer.readString();
    } else {
      FBuffer.skipField(tag);
    }
  }
}

void TStatusBuilder::Write(const TClientStatus& aClientStatus) {
  if (aClientStatus.DownloadCount() == 0) return;
  WriteInTwoPasses(FBuffer, [&](auto& root) {
    for (const TDownloadStatus& download : aClientStatus.FDownloads)
      root.Message(1, [&](auto& entry) {
        entry.String(1, download.Fdriver_checksum);
        entry.String(2, download.Fdriver_id);
      });
  });
}
