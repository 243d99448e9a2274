// Simulated System Restore: records each request and the thread it came from, and
// answers as a test says: returned with a value, or failed with an HRESULT.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/system_restore.h"

class TSimSystemRestore : public ISystemRestore {
 public:
  struct TRequest {
    std::string method;    // "CreateRestorePoint" or "Enable"
    std::string argument;  // the description or the drive
    uint32_t restorePointType = 0;
    uint32_t eventType = 0;
    std::thread::id thread;
    bool comInitialized = false;  // the calling thread had initialised COM
  };

  TWmiMethodResult createResult = TWmiMethodResult::Returned(0);
  TWmiMethodResult enableResult = TWmiMethodResult::Returned(0);
  // Runs during CreateRestorePoint, so a test can look at the machine at that moment.
  std::function<void()> onCreate;

  bool InitializeCom() override {
    std::lock_guard lock(m_mutex);
    ++m_comDepth[std::this_thread::get_id()];
    return true;
  }
  void UninitializeCom() override {
    std::lock_guard lock(m_mutex);
    --m_comDepth[std::this_thread::get_id()];
  }
  TWmiMethodResult CreateRestorePoint(const std::string& description, uint32_t restorePointType,
                                      uint32_t eventType) override {
    Record("CreateRestorePoint", description, restorePointType, eventType);
    if (onCreate) onCreate();
    return createResult;
  }
  TWmiMethodResult Enable(const std::string& drive) override {
    Record("Enable", drive, 0, 0);
    return enableResult;
  }

  std::vector<TRequest> Requests() {
    std::lock_guard lock(m_mutex);
    return m_requests;
  }
  // Initialisations not yet balanced, over all threads.
  int OpenComInitializations() {
    std::lock_guard lock(m_mutex);
    int open = 0;
    for (const auto& [thread, depth] : m_comDepth) open += depth;
    return open;
  }

 private:
  void Record(const std::string& method, const std::string& argument, uint32_t restorePointType,
              uint32_t eventType) {
    std::lock_guard lock(m_mutex);
    TRequest request;
    request.method = method;
    request.argument = argument;
    request.restorePointType = restorePointType;
    request.eventType = eventType;
    request.thread = std::this_thread::get_id();
    auto depth = m_comDepth.find(request.thread);
    request.comInitialized = depth != m_comDepth.end() && depth->second > 0;
    m_requests.push_back(std::move(request));
  }

  std::mutex m_mutex;
  std::vector<TRequest> m_requests;
  std::map<std::thread::id, int> m_comDepth;
};
