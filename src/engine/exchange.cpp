// TDataManager's server exchange: SendReceive over the internet port.
#include "engine/data_manager.h"

bool TDataManager::SendReceive(const std::string&, const std::string&, int32_t, const std::string&, const void*,
                               uint32_t, const std::string&, std::vector<uint8_t>*, bool) {
  return false;
}
bool TDataManager::SendReceiveProxy(const std::string&, const std::string&, int32_t, const std::string&, const void*,
                                    uint32_t, const std::string&, std::vector<uint8_t>*, bool) {
  return false;
}
bool TDataManager::SendReceiveDirect(const std::string&, const std::string&, int32_t, const std::string&,
                                     const void*, uint32_t, const std::string&, std::vector<uint8_t>*, bool) {
  return false;
}
void TDataManager::QvInternetOpen(const std::string&, TInternetHandle&) {}
int TDataManager::GetFileFromInternet(const TInternetHandle&, const std::string&, const std::string&,
                                      TICallbackHandler*) {
  return 1;
}
void TDataManager::ShowServerError(bool) {}
