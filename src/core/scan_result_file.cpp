// TDriverDatamodel: the stored scan result "config.bin", one TSysInfo message
// holding the device list and the scan times.
#include <filesystem>
#include <limits>
#include <vector>
#include <system_error>

#include "core/data_model.h"
#include "core/errors.h"
#include "core/paths.h"
#include "proto/proto_errors.h"
#include "proto/sysinfo_reader.h"
#include "proto/sysinfo_writer.h"

namespace {

TDevProp ToDevProp(const TDeviceProperties& device) {
  TDevProp prop;
  prop.Fhardware_id = device.strHID;
  prop.Fclassguid = device.strClassGUID;
  prop.Fstr_name = device.strName;
  prop.Fclass_description = device.strClassDescription;
  prop.Fdriver_date = device.strDriverDate;
  prop.Fdriver_version = device.strVersion;
  prop.Finf_file = device.strINFFileName;
  prop.Finf_section = device.strINFSectionName;
  prop.Fdevice_imageid = device.nDeviceImage;
  prop.Fdevice_name = device.strName;        // stored twice, read from str_name
  prop.Fdevice_class = device.strClassGUID;  // stored twice, read from classguid
  prop.Fdriver_size = device.strDriverSize;
  for (const std::string& id : device.strCompatibleHIDs) prop.AddCompatid(id);
  prop.Fdriver_newdate = device.strNewDriverDate;
  prop.Fdriver_newversion = device.strNewVersion;
  prop.Fdownload_url = device.strDownloadUrl;
  prop.Fmanufacturer = device.strManufacturer;
  prop.Fdevice_ignore = device.nIgnored;
  prop.Fdriver_id = device.strDriverDBId;
  prop.Fprovider = device.strProvider;
  prop.Fguid = device.FGUID;
  prop.Fstatus_code = device.nStatusCode;
  for (const std::string& id : device.strHIDs) prop.AddHardwareid(id);
  return prop;
}

std::unique_ptr<TDeviceProperties> ToDeviceProperties(TDevProp& prop) {
  auto device = std::make_unique<TDeviceProperties>();
  device->strHID = std::move(prop.Fhardware_id);
  for (const TDeviceID& id : prop.Fhardware_ids) device->strHIDs.push_back(id.Fdeviceid);
  device->strClassGUID = std::move(prop.Fclassguid);
  device->FGUID = prop.Fguid;
  device->strName = std::move(prop.Fstr_name);
  device->strClassDescription = std::move(prop.Fclass_description);
  device->strINFFileName = std::move(prop.Finf_file);
  device->strINFSectionName = std::move(prop.Finf_section);
  device->strVersion = std::move(prop.Fdriver_version);
  device->strDriverDate = std::move(prop.Fdriver_date);
  for (const TCompatibleID& id : prop.Fcompatids) device->strCompatibleHIDs.push_back(id.Fcompatid);
  if (!device->strCompatibleHIDs.empty()) device->strCompatibleHID = device->strCompatibleHIDs.front();
  device->strDriverSize = std::move(prop.Fdriver_size);
  device->strDriverDBId = std::move(prop.Fdriver_id);
  device->strNewDriverDate = std::move(prop.Fdriver_newdate);
  device->strNewVersion = std::move(prop.Fdriver_newversion);
  device->strDownloadUrl = std::move(prop.Fdownload_url);
  device->strManufacturer = std::move(prop.Fmanufacturer);
  device->strProvider = prop.Fprovider;
  device->strNewProvider = std::move(prop.Fprovider);  // not stored: the installed provider
  device->nDeviceImage = prop.Fdevice_imageid;
  device->nIgnored = prop.Fdevice_ignore;
  device->nStatusCode = prop.Fstatus_code;
  return device;
}

bool FileExists(const std::string& fileName) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(ToPath(fileName), ignored);
}

// "config.bin.damaged", or the first free "config.bin.damaged-N", so an earlier
// damaged copy is never replaced.
std::string DamagedFileName(const std::string& fileName) {
  constexpr int MAX_COPIES = 100;
  std::string candidate = fileName + ".damaged";
  for (int n = 2; FileExists(candidate) && n <= MAX_COPIES; ++n)
    candidate = fileName + ".damaged-" + std::to_string(n);
  return candidate;
}

// The whole file into the input, read while nobody can write or replace it, so a
// writer meanwhile never gives a mix of two results; EStreamError when it cannot be read.
void LoadDenyingWriters(IFileSystem& fileSystem, const std::string& fileName, TProtoBufInput& input) {
  const std::unique_ptr<IOpenFile> file = fileSystem.OpenFile(fileName, fomReadDenyWriters);
  if (!file) throw EStreamError(FormatText("Cannot open file \"%s\"", fileName));
  std::vector<uint8_t> bytes;
  std::vector<uint8_t> block(64 * 1024);
  for (;;) {
    size_t read = 0;
    if (!file->Read(block.data(), block.size(), read)) throw EStreamError(FormatText("Cannot read file \"%s\"", fileName));
    if (read == 0) break;
    if (bytes.size() + read > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
      throw EStreamError("Stream too large");
    bytes.insert(bytes.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(read));
  }
  input.Init(bytes.data(), static_cast<int32_t>(bytes.size()), true);
}

}  // namespace

void TDriverDatamodel::DumpScanResults() {
  DumpSettings();
  ForceFolder(m_ports.fileSystem, m_AppDir);

  TSysInfo sysInfo;
  sysInfo.SetOS("Windows", m_OSVer, m_OSArch);
  sysInfo.FstartTime = m_StartTime;
  sysInfo.FendTime = m_EndTime;
  sysInfo.Fdevice_count = DeviceCount();
  for (const auto& device : m_MyDeviceList) sysInfo.AddDevice(ToDevProp(*device));

  TSysInfoWriter writer;
  writer.Write(sysInfo);
  const std::vector<uint8_t> bytes = writer.GetBuf().TakeBytes();
  const std::string fileName = ScanResultFileName();
  // A stored result that could not be read stays: the list in memory did not come
  // from it, and writing it would lose its ignore marks.
  if (m_scanResultUnread && FileExists(fileName)) return;
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!WriteFileAtomically(m_ports.fileSystem, fileName, text))
    throw EInOutError(FormatText("Cannot create file \"%s\"", fileName));
}

void TDriverDatamodel::LoadScanResults() {
  m_devicecount = 0;
  m_scanResultUnread = false;
  const std::string fileName = ScanResultFileName();
  if (!FileExists(fileName)) return;  // the device list keeps what it holds

  TSysInfoReader reader;
  try {
    LoadDenyingWriters(m_ports.fileSystem, fileName, reader.GetBuf());
  } catch (const EStreamError& error) {
    // Unreadable (locked, no permission): nothing is known to be damaged, so the
    // file stays where it is and the program starts without it.
    RemoveAll();
    m_scanResultUnread = true;
    m_ScanResultProblem = TScanResultProblem{error.what(), {}};
    return;
  }
  TSysInfo sysInfo;
  try {
    reader.Load(sysInfo);
  } catch (const EProtoError& error) {
    KeepDamagedScanResult(error.what());
    return;
  }

  RemoveAll();
  for (TDevProp& prop : sysInfo.Fdriverprops) AddDevice(ToDeviceProperties(prop));
  m_StartTime = sysInfo.FstartTime;
  m_EndTime = sysInfo.FendTime;
  // The records read, not the stored count: a count beyond them is not believed.
  m_devicecount = static_cast<int32_t>(m_MyDeviceList.Count());
}

void TDriverDatamodel::KeepDamagedScanResult(const std::string& error) {
  RemoveAll();
  const std::string fileName = ScanResultFileName();
  const std::string keptAs = DamagedFileName(fileName);
  const bool renamed = m_ports.fileSystem.MoveFileOver(fileName, keptAs);
  m_ScanResultProblem = TScanResultProblem{error, renamed ? keptAs : std::string()};
}
