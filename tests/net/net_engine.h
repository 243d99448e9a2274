// An engine on the simulated machine (whose internet port is libcurl) with a recording
// message sink, and the scan exchange as the program sends it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/data_manager.h"
#include "engine/server_contract.h"
#include "support/recording_sink.h"
#include "support/sim_data_model.h"

inline const char* const PROTOBUF_CONTENT_TYPE = "application/x-protobuf; charset=\"utf-8\"";

class TNetEngineFixture : public TSimDataModelFixture {
 public:
  TDataManager& Engine() {
    if (!engine) {
      Create();
      engine = std::make_unique<TDataManager>(*model, machine.Ports());
      engine->SetMessageSink(&sink);
    }
    return *engine;
  }

  void UseProxy(int port, const std::string& user = "", const std::string& password = "") {
    Engine();
    model->SetProxyEnabled(true);
    model->SetProxyURL("127.0.0.1");
    model->SetProxyPort(port);
    model->SetProxyUserName(user);
    model->SetProxyPassword(password);
  }

  // POSTs body to "/newupdates/" on 127.0.0.1:port.
  bool Scan(int port, const std::string& body, std::vector<uint8_t>* response, bool showMsg = true,
            const std::string& server = "127.0.0.1") {
    return Engine().SendReceive("Quorvane", server, port, "/newupdates/", body.data(),
                                static_cast<uint32_t>(body.size()), PROTOBUF_CONTENT_TYPE, response,
                                QV_SCAN_ANSWER_LIMIT, showMsg);
  }

  static std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

  TRecordingSink sink;
  std::unique_ptr<TDataManager> engine;
};
