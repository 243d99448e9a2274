// TDataManager's program update check: asks the driver server whether a newer
// version of the program exists; the server decides.
#include <cstring>

#include "engine/data_manager.h"
#include "engine/server_contract.h"
#include "proto/client_codecs.h"

std::string TDataManager::CheckSoftwareUpdate() {
  TClientVersion running;
  running.GetModuleVersion(m_ports.moduleVersion);
  TCVBuilder builder;
  builder.Write(running);
  const std::vector<uint8_t> body = builder.GetBuf().GetBytes();

  std::vector<uint8_t> answer;
  if (!SendReceive(QV_USER_AGENT, m_model.ServerURL(), m_model.ServerPort(), QV_CLIENT_VERSION_ROUTE, body.data(),
                   static_cast<uint32_t>(body.size()), QV_PROTOBUF_CONTENT_TYPE, &answer, QV_SHORT_ANSWER_LIMIT, false))
    return {};
  if (answer.empty() || (answer.size() >= 5 && std::memcmp(answer.data(), "false", 5) == 0)) return {};

  TClientVersion newer;
  TCVReader reader;
  reader.GetBuf().Init(answer.data(), static_cast<int32_t>(answer.size()), false);
  try {
    reader.Load(newer);
  } catch (const EProtoError&) {
    return {};  // not a version offer: a portal's page, a proxy's error, a damaged answer
  }
  if (newer.Fversion_major.empty()) return {};
  return newer.Fversion_major + "." + newer.Fversion_minor + "." + newer.Fversion_vminor + " - " + newer.Freadme;
}
