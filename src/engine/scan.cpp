// TDataManager's scan run: the device list rebuilt from the machine, sent to the
// driver server in one request, the newer drivers of the answer applied and stored.
#include <algorithm>
#include <cstring>

#include "core/errors.h"
#include "core/message_box_kinds.h"
#include "engine/busy_flag.h"
#include "engine/data_manager.h"
#include "engine/server_contract.h"
#include "engine/scan_time.h"
#include "platform/ascii_case.h"
#include "proto/driver_builder.h"
#include "proto/driver_reader.h"
#include "res/string_ids.h"

namespace {

bool BeginsWith(const std::vector<uint8_t>& bytes, const char* prefix) {
  const size_t length = std::strlen(prefix);
  return bytes.size() >= length && std::memcmp(bytes.data(), prefix, length) == 0;
}

}  // namespace

void TDataManager::StopScan() { m_stopped = true; }

void TDataManager::StartScan(TICallbackHandler* pCallbackHandler) {
  if (!m_devices.Available()) return;
  // Declared in this order, the old records are freed before m_scanning is cleared.
  TBusyFlag scanning(m_scanning);
  TDeviceList oldDevices = m_model.DeviceList().TakeAll();

  if (pCallbackHandler) pCallbackHandler->StartScanning();
  m_stopped = false;
  m_model.SetStartTime(ScanTimeNow(m_ports.locale));
  m_ports.imageLists.RemoveAll(m_DeviceImages.Get());

  if (!EnumerateIntoDeviceList(oldDevices, pCallbackHandler)) return;
  AddClasslessDevices(oldDevices);

  if (pCallbackHandler) pCallbackHandler->CheckingForUpdate();
  bool checked = false;
  try {
    checked = CheckForUpdates(m_model.DeviceList());
  } catch (...) {
    RestoreStoredScanResult();  // an undecodable answer: the error goes on to the caller
    throw;
  }
  if (!checked) {
    // The enumerated list has no offers: storing it would show every device as up to
    // date. The last stored result stays, on disk and in the list.
    RestoreStoredScanResult();
    m_stopped = true;
    if (pCallbackHandler) pCallbackHandler->FinishScanning(1);
    return;
  }
  m_model.SetEndTime(ScanTimeNow(m_ports.locale));
  m_model.DumpScanResults();
  if (pCallbackHandler) pCallbackHandler->FinishScanning(0);
}

bool TDataManager::EnumerateIntoDeviceList(const TDeviceList& oldDevices, TICallbackHandler* pCallbackHandler) {
  for (uint32_t index = 0;; ++index) {
    auto record = std::make_unique<TDeviceProperties>();
    const int result = EnumAllDevices(index, *record);
    if (result == -1) return true;
    if (result == -3 && index == 0) {
      // No device set at all: nothing to send, and the stored result must not be
      // replaced by an empty list. It ends as a failed scan, told as the device
      // service's failure, not the server's.
      RestoreStoredScanResult();
      m_stopped = true;
      if (m_messageSink != nullptr) {
        const std::string& name = m_model.GetAppName();
        m_messageSink->QvMessageBox(name, FormatText(m_ports.strings.Load(IDS_DEVICE_SERVICE_FAILED_TEXT), name),
                                    QV_KIND_ERROR);
      }
      if (pCallbackHandler) pCallbackHandler->FinishScanning(QV_SCAN_DEVICE_SERVICE_FAILED);
      return false;
    }
    if (m_stopped) {
      ReleaseAllDevicesSet();  // the enumeration ends here, not at its last index
      RestoreStoredScanResult();
      if (pCallbackHandler) pCallbackHandler->FinishScanning(2);
      return false;
    }
    if (result != 0 || record->strHID.empty()) continue;
    const TDeviceProperties* old = TDriverDatamodel::GetDevice(oldDevices, record->strHID);
    if (old && old->IsIgnored()) ++record->nIgnored;
    if (record->strVersion.empty()) continue;  // no installed driver version: not listed
    TDeviceProperties& added = *record;
    if (m_model.AddDevice(std::move(record)) && pCallbackHandler) pCallbackHandler->FinishScanDriver(added);
  }
}

void TDataManager::RestoreStoredScanResult() {
  // Without a stored result the partial list must not stay either.
  m_model.RemoveAll();
  m_model.SetStartTime("");
  m_model.SetEndTime("");
  m_model.Initialize();
}

void TDataManager::AddClasslessDevices(const TDeviceList& oldDevices) {
  for (uint32_t classIndex = 0;; ++classIndex) {
    TClassString className;
    std::string classDescription;
    bool present = false;
    int32_t classImage = 0;
    const int result = EnumDeviceClasses(classIndex, className, classDescription, present, classImage);
    if (result == -1) return;
    if (result == 0 && present && EqualsIgnoringAsciiCase(className, "Unknown"))
      EnumDevicesClassUnknown(className, classImage, oldDevices);
  }
}

bool TDataManager::CheckForUpdates(TDeviceList& devicepropertymap) {
  TDriverMap devices;
  devices.reserve(devicepropertymap.Count());
  for (const auto& device : devicepropertymap) devices.push_back(device.get());
  TDrivers offers;
  if (!ExchangeScanRequest(devices, offers)) return false;
  for (size_t i = 0; i < offers.DriverCount(); ++i) {
    const TDeviceDriver& offer = offers.GetDrivers(i);
    if (TDeviceProperties* device = devicepropertymap.Find(offer.Fhardware_id)) ApplyOffer(offer, *device);
  }
  return true;
}

bool TDataManager::CheckForUpdates(const TDriverMap& devicepropertymap) {
  TDrivers offers;
  if (!ExchangeScanRequest(devicepropertymap, offers)) return false;
  for (size_t i = 0; i < offers.DriverCount(); ++i) {
    const TDeviceDriver& offer = offers.GetDrivers(i);
    // The first record in list order: of equal ids, the newest.
    auto match = std::find_if(devicepropertymap.begin(), devicepropertymap.end(), [&](const TDeviceProperties* d) {
      return m_ports.locale.CompareText(d->strHID, offer.Fhardware_id) == 0;
    });
    if (match != devicepropertymap.end()) ApplyOffer(offer, **match);
  }
  return true;
}

std::vector<uint8_t> TDataManager::EncodeScanRequest(const TDriverMap& devices) const {
  TDrivers request;
  request.SetOS("Windows", m_model.OSVersion(), m_model.OSArch());
  for (const TDeviceProperties* device : devices) {
    if (device->strHID.empty()) continue;
    TDeviceDriver driver;
    driver.Fhardware_id = device->strHID;
    driver.Fdriver_date = device->strDriverDate;
    driver.Fdriver_version = device->strVersion;
    driver.Finf_file = device->strINFFileName;
    driver.Finf_section = device->strINFSectionName;
    driver.Fdevice_name = device->strName;
    driver.Fdevice_class = device->strClassGUID;
    driver.Fdriver_size = device->strDriverSize;
    driver.AddCompatid(device->strCompatibleHID);
    request.AddDriver(std::move(driver));
  }
  TDriverBuilder builder;
  builder.Write(request);
  return builder.GetBuf().TakeBytes();
}

bool TDataManager::PostScanRequest(const std::vector<uint8_t>& body, std::vector<uint8_t>& answer) {
  return SendReceive(QV_USER_AGENT, m_model.ServerURL(), m_model.ServerPort(), QV_NEW_UPDATES_ROUTE, body.data(),
                     static_cast<uint32_t>(body.size()), QV_PROTOBUF_CONTENT_TYPE, &answer, QV_SCAN_ANSWER_LIMIT, false);
}

bool TDataManager::ExchangeScanRequest(const TDriverMap& devices, TDrivers& offers) {
  m_pbUpdatedDriverList.Clear();
  std::vector<uint8_t> answer;
  if (!PostScanRequest(EncodeScanRequest(devices), answer)) return false;
  if (answer.empty()) return true;
  if (BeginsWith(answer, "error")) {
    ShowServerError(true);
    return false;
  }
  TDriverReader reader;
  reader.GetBuf().Init(answer.data(), static_cast<int32_t>(answer.size()), false);
  reader.Load(offers);
  return true;
}

void TDataManager::ApplyOffer(const TDeviceDriver& offer, TDeviceProperties& device) {
  device.strNewDriverDate = offer.Fdriver_date;
  device.strNewVersion = offer.Fdriver_version;
  device.strDownloadUrl = offer.Fdownload_url;
  device.strDriverSize = offer.Fdriver_size;
  device.strDriverDBId = offer.Fdriver_id;
}
