// Drives one easy handle through a multi handle and buffers what arrives until read.
#include "platform/native/curl_transfer.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/internet.h"

uint32_t WinInetErrorFromCurl(CURLcode code) {
  switch (code) {
    case CURLE_OK: return ERROR_SUCCESS;
    case CURLE_COULDNT_CONNECT: return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_OPERATION_TIMEDOUT: return ERROR_INTERNET_TIMEOUT;
    case CURLE_URL_MALFORMAT: return ERROR_INTERNET_INVALID_URL;
    case CURLE_UNSUPPORTED_PROTOCOL: return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE: return ERROR_INTERNET_SEC_INVALID_CERT;
    case CURLE_SSL_CONNECT_ERROR: return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING: return ERROR_INTERNET_CONNECTION_RESET;
    case CURLE_PARTIAL_FILE: return ERROR_INTERNET_CONNECTION_ABORTED;
    default: return ERROR_INTERNET_INTERNAL_ERROR;
  }
}

void TCurlCancel::Cancel() {
  std::lock_guard lock(m_mutex);
  m_cancelled = true;
  for (CURLM* multi : m_multis) curl_multi_wakeup(multi);
}

void TCurlCancel::Watch(CURLM* multi) {
  std::lock_guard lock(m_mutex);
  m_multis.push_back(multi);
}

void TCurlCancel::Unwatch(CURLM* multi) {
  std::lock_guard lock(m_mutex);
  m_multis.erase(std::remove(m_multis.begin(), m_multis.end(), multi), m_multis.end());
}

TCurlTransfer::TCurlTransfer() : m_easy(curl_easy_init()), m_multi(curl_multi_init()) {
  if (m_easy == nullptr) return;
  curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &TCurlTransfer::OnData);
  curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
}

TCurlTransfer::~TCurlTransfer() {
  if (m_cancel && m_multi != nullptr) m_cancel->Unwatch(m_multi);
  if (m_started) curl_multi_remove_handle(m_multi, m_easy);
  if (m_easy != nullptr) curl_easy_cleanup(m_easy);
  if (m_multi != nullptr) curl_multi_cleanup(m_multi);
  curl_slist_free_all(m_headers);
}

void TCurlTransfer::AddHeader(const std::string& line) {
  if (curl_slist* list = curl_slist_append(m_headers, line.c_str())) m_headers = list;
}

size_t TCurlTransfer::OnData(char* data, size_t size, size_t count, void* self) {
  auto& transfer = *static_cast<TCurlTransfer*>(self);
  transfer.m_pending.insert(transfer.m_pending.end(), data, data + size * count);
  return size * count;
}

bool TCurlTransfer::Start(uint32_t& error) {
  if (m_easy == nullptr || m_multi == nullptr) {
    error = ERROR_INTERNET_INTERNAL_ERROR;
    return false;
  }
  curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers);
  if (curl_multi_add_handle(m_multi, m_easy) != CURLM_OK) {
    error = ERROR_INTERNET_INTERNAL_ERROR;
    return false;
  }
  m_started = true;
  if (m_cancel) m_cancel->Watch(m_multi);
  RunUntilData();
  error = ErrorCode();
  return error == ERROR_SUCCESS;
}

curl_off_t TCurlTransfer::BytesMoved() const {
  curl_off_t sent = 0;
  curl_off_t received = 0;
  long headersSent = 0;
  long headersReceived = 0;
  curl_easy_getinfo(m_easy, CURLINFO_SIZE_UPLOAD_T, &sent);
  curl_easy_getinfo(m_easy, CURLINFO_SIZE_DOWNLOAD_T, &received);
  curl_easy_getinfo(m_easy, CURLINFO_REQUEST_SIZE, &headersSent);
  curl_easy_getinfo(m_easy, CURLINFO_HEADER_SIZE, &headersReceived);
  return sent + received + headersSent + headersReceived;
}

void TCurlTransfer::RunUntilData() {
  using TClock = std::chrono::steady_clock;
  curl_off_t moved = BytesMoved();
  TClock::time_point lastMove = TClock::now();
  while (!m_done && m_pendingOffset == m_pending.size() && !Cancelled()) {
    int running = 0;
    if (curl_multi_perform(m_multi, &running) != CURLM_OK) {
      m_done = true;
      m_result = CURLE_RECV_ERROR;
      break;
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
      if (message->msg == CURLMSG_DONE) {
        m_done = true;
        m_result = message->data.result;
      }
    }
    if (m_done || m_pendingOffset != m_pending.size() || Cancelled()) break;
    int wait = 1000;
    if (m_idleTimeout != 0) {
      const curl_off_t now = BytesMoved();
      if (now != moved) {
        moved = now;
        lastMove = TClock::now();
      }
      const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - lastMove).count();
      if (idle >= m_idleTimeout) {
        m_done = true;
        m_result = CURLE_OPERATION_TIMEDOUT;
        break;
      }
      wait = static_cast<int>(std::min<long long>(wait, m_idleTimeout - idle));
    }
    curl_multi_poll(m_multi, nullptr, 0, wait, nullptr);  // a cancel wakes it
  }
}

uint32_t TCurlTransfer::ErrorCode() const {
  if (Cancelled()) return ERROR_INTERNET_OPERATION_CANCELLED;
  return m_done ? WinInetErrorFromCurl(m_result) : ERROR_SUCCESS;
}

bool TCurlTransfer::Read(void* buffer, uint32_t size, uint32_t& read, uint32_t& error) {
  read = 0;
  if (Cancelled()) {
    error = ERROR_INTERNET_OPERATION_CANCELLED;
    return false;
  }
  if (m_pendingOffset == m_pending.size()) {
    m_pending.clear();
    m_pendingOffset = 0;
    RunUntilData();
  }
  size_t available = m_pending.size() - m_pendingOffset;
  if (available == 0 || Cancelled()) {
    error = ErrorCode();
    return error == ERROR_SUCCESS;
  }
  read = static_cast<uint32_t>(std::min<size_t>(available, size));
  std::memcpy(buffer, m_pending.data() + m_pendingOffset, read);
  m_pendingOffset += read;
  error = ERROR_SUCCESS;
  return true;
}

long TCurlTransfer::Status() const {
  long status = 0;
  curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
  return status;
}
