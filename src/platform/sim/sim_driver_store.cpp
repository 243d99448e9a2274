// The simulated driver store and installer: the class and driver registry keys,
// class lookup by name, file queues filled by the class installer, device removal,
// INF reads and the Plug and Play installer of the simulated device tree.
#include "platform/sim/sim_device_tree.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/ascii_case.h"
#include "platform/civil_date.h"
#include "platform/path_parts.h"
#include "platform/sim/sim_inf_file.h"
#include "platform/utf16le.h"

namespace {

namespace fs = std::filesystem;

std::string VersionText(uint64_t version) {
  return std::to_string((version >> 48) & 0xFFFF) + "." + std::to_string((version >> 32) & 0xFFFF) +
         "." + std::to_string((version >> 16) & 0xFFFF) + "." + std::to_string(version & 0xFFFF);
}

// "m-d-yyyy" of a FILETIME, as Windows writes "DriverDate".
std::string DateText(uint64_t fileTime) {
  const TCivilDate date = CivilFromFileTime(fileTime);
  return std::to_string(date.month) + "-" + std::to_string(date.day) + "-" + std::to_string(date.year);
}

fs::path HostPath(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string HostText(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// "MM/DD/YYYY" as a FILETIME; zero when malformed.
uint64_t InfDate(const std::string& text) {
  int month = 0, day = 0, year = 0;
  if (std::sscanf(text.c_str(), "%d/%d/%d", &month, &day, &year) != 3 || month < 1 || month > 12 || day < 1 ||
      day > 31 || year < 1601)
    return 0;
  return FileTimeFromCivil({year, month, day});
}

// "a.b.c.d" as four 16-bit parts; missing parts are zero.
uint64_t InfVersion(const std::string& text) {
  uint64_t version = 0;
  size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    uint64_t value = 0;
    if (start < text.size()) {
      size_t end = text.find('.', start);
      if (end == std::string::npos) end = text.size();
      value = std::strtoull(text.substr(start, end - start).c_str(), nullptr, 10) & 0xFFFF;
      start = end + 1;
    }
    version = (version << 16) | value;
  }
  return version;
}

// A driver of an INF for one hardware id: the model line that names it, in the
// models sections its [Manufacturer] lines name (with their decorations).
std::optional<TSimDriver> DriverOfInf(const TSimInfFile& inf, const std::string& hardwareId) {
  for (const auto& manufacturer : inf.Lines("Manufacturer")) {
    if (manufacturer.fields.empty()) continue;
    std::vector<std::string> sections{manufacturer.fields.front()};
    for (size_t i = 1; i < manufacturer.fields.size(); ++i)
      sections.push_back(manufacturer.fields.front() + "." + manufacturer.fields[i]);
    for (const auto& section : sections) {
      for (const auto& model : inf.Lines(section)) {
        if (model.fields.size() < 2) continue;
        std::vector<std::string> ids(model.fields.begin() + 1, model.fields.end());
        if (std::none_of(ids.begin(), ids.end(), [&](const std::string& id) { return EqualsIgnoringAsciiCase(id, hardwareId); }))
          continue;
        TSimDriver driver;
        driver.section = model.fields.front();
        driver.description = model.key;
        driver.manufacturer = manufacturer.key;
        driver.hardwareIds = ids;
        if (const TSimInfLine* provider = inf.FindLine("Version", "Provider"); provider && !provider->fields.empty())
          driver.provider = provider->fields.front();
        if (const TSimInfLine* driverVer = inf.FindLine("Version", "DriverVer"); driverVer) {
          if (!driverVer->fields.empty()) driver.date = InfDate(driverVer->fields[0]);
          if (driverVer->fields.size() > 1) driver.version = InfVersion(driverVer->fields[1]);
        }
        return driver;
      }
    }
  }
  return std::nullopt;
}

// The file names the install section's CopyFiles lines name: a file given
// directly with "@", or the lines of the sections they name.
std::vector<std::string> FilesOfInstallSection(const TSimInfFile& inf, const std::string& section) {
  std::vector<std::string> files;
  for (const auto& line : inf.Lines(section)) {
    if (!EqualsIgnoringAsciiCase(line.key, "CopyFiles")) continue;
    for (const auto& entry : line.fields) {
      if (!entry.empty() && entry.front() == '@') {
        files.push_back(entry.substr(1));
        continue;
      }
      for (const auto& fileLine : inf.Lines(entry))
        if (!fileLine.fields.empty() && !fileLine.fields.front().empty()) files.push_back(fileLine.fields.front());
    }
  }
  return files;
}

}  // namespace

TRegKeyHandle TSimDeviceTree::OpenKey(TKeyValues values) {
  TRegKeyHandle handle = m_nextHandle++;
  m_keys.emplace(handle, std::move(values));
  return handle;
}

TRegKeyHandle TSimDeviceTree::OpenClassRegKeyEx(const TGuid* classGuid, uint32_t /*samDesired*/,
                                                uint32_t flags) {
  const TSimClass* simClass = classGuid ? FindClass(*classGuid) : nullptr;
  if (flags != DIOCR_INSTALLER || simClass == nullptr || !simClass->installerKey) {
    m_lastError = ERROR_INVALID_CLASS;
    return INVALID_DEVICE_HANDLE;
  }
  TKeyValues values;
  if (!simClass->name.empty()) values["class"] = SimStringValue(simClass->name);
  if (!simClass->description.empty()) values[""] = SimStringValue(simClass->description);
  return OpenKey(std::move(values));
}

TSimDeviceTree::TKeyValues TSimDeviceTree::DriverKeyValues(const TSimDevice& device) const {
  TKeyValues values;
  for (const auto& [name, value] : device.driverKey) values[AsciiLower(name)] = value;
  if (!values.empty() || !device.driver) return values;
  const TSimDriver& driver = *device.driver;
  std::string infName = FileNameOfPath(driver.infPath);
  values["infpath"] = SimStringValue(infName);
  values["infsection"] = SimStringValue(driver.section);
  values["providername"] = SimStringValue(driver.provider);
  values["driverdesc"] = SimStringValue(driver.description);
  values["driverversion"] = SimStringValue(VersionText(driver.version));
  values["driverdate"] = SimStringValue(DateText(driver.date));
  values["driverdatedata"] = SimBinaryValue(driver.date);
  return values;
}

TRegKeyHandle TSimDeviceTree::OpenDevRegKey(TDevInfoSet set, const TSpDevinfoData& device,
                                            uint32_t scope, uint32_t /*hwProfile*/,
                                            uint32_t keyType, uint32_t /*samDesired*/) {
  TSetMember* member = Member(set, device);
  if (member == nullptr) return INVALID_DEVICE_HANDLE;
  if ((scope != DICS_FLAG_GLOBAL && scope != DICS_FLAG_CONFIGSPECIFIC) ||
      (keyType != DIREG_DEV && keyType != DIREG_DRV)) {
    m_lastError = ERROR_INVALID_FLAGS;
    return INVALID_DEVICE_HANDLE;
  }
  // Only the global driver key is simulated.
  if (scope != DICS_FLAG_GLOBAL || keyType != DIREG_DRV) {
    m_lastError = ERROR_INVALID_PARAMETER;
    return INVALID_DEVICE_HANDLE;
  }
  TKeyValues values = DriverKeyValues(devices[member->device]);
  if (values.empty()) {
    m_lastError = ERROR_KEY_DOES_NOT_EXIST;
    return INVALID_DEVICE_HANDLE;
  }
  return OpenKey(std::move(values));
}

uint32_t TSimDeviceTree::QueryKeyValue(TRegKeyHandle key, const std::string& valueName,
                                       uint32_t* type, uint8_t* data, uint32_t* dataSize) {
  auto found = m_keys.find(key);
  if (found == m_keys.end()) return ERROR_INVALID_HANDLE;
  auto value = found->second.find(AsciiLower(valueName));
  if (value == found->second.end()) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->second.type;
  if (dataSize == nullptr) return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
  auto size = static_cast<uint32_t>(value->second.data.size());
  if (data == nullptr) {
    *dataSize = size;
    return ERROR_SUCCESS;
  }
  if (*dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  std::memcpy(data, value->second.data.data(), size);
  *dataSize = size;
  return ERROR_SUCCESS;
}

uint32_t TSimDeviceTree::CloseKey(TRegKeyHandle key) {
  return m_keys.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

std::filesystem::path TSimDeviceTree::InfFolder() const { return HostPath(systemDirectory).parent_path() / "INF"; }

std::filesystem::path TSimDeviceTree::DriversFolder() const { return HostPath(systemDirectory) / "drivers"; }

TSimDevice* TSimDeviceTree::FindDevice(const std::string& hardwareId) {
  for (auto& device : devices)
    for (const auto& id : device.hardwareIds)
      if (!device.removed && EqualsIgnoringAsciiCase(id, hardwareId)) return &device;
  return nullptr;
}

bool TSimDeviceTree::ClassGuidsFromNameEx(const std::string& className, TGuid* classGuidList,
                                          uint32_t classGuidListSize, uint32_t* requiredSize) {
  if (className.empty()) return Fail(ERROR_INVALID_PARAMETER);
  std::vector<TGuid> found;
  for (const auto& simClass : classes)
    if (!simClass.name.empty() && EqualsIgnoringAsciiCase(simClass.name, className)) found.push_back(simClass.guid);
  if (requiredSize) *requiredSize = static_cast<uint32_t>(found.size());
  for (size_t i = 0; i < found.size() && i < classGuidListSize && classGuidList; ++i) classGuidList[i] = found[i];
  if (found.size() > classGuidListSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
  return true;
}

TFileQueue TSimDeviceTree::OpenFileQueue() {
  TFileQueue queue = m_nextHandle++;
  m_queues.emplace(queue, std::vector<std::string>{});
  return queue;
}

bool TSimDeviceTree::CloseFileQueue(TFileQueue queue) {
  if (m_queues.erase(queue) == 0) return Fail(ERROR_INVALID_HANDLE);
  return true;
}

bool TSimDeviceTree::InstallDeviceFiles(TSetMember& member) {
  if (!member.selectedDriver) return Fail(ERROR_NO_DRIVER_SELECTED);
  // Without DI_NOVCP the installer would copy the files at once; the simulated
  // files are in place already, so nothing is left to do.
  if ((member.flags & DI_NOVCP) == 0) return true;
  auto queue = m_queues.find(member.fileQueue);
  if (queue == m_queues.end()) return Fail(ERROR_INVALID_HANDLE);
  const TSimDriver& driver = member.driverList[*member.selectedDriver];
  queue->second.insert(queue->second.end(), driver.files.begin(), driver.files.end());
  return true;
}

bool TSimDeviceTree::RemoveDevice(TSetMember& member) {
  TSimDevice& device = devices[member.device];
  if (device.removed) return Fail(ERROR_NO_SUCH_DEVINST);
  if (device.removalRefused) return Fail(ERROR_ACCESS_DENIED);
  device.removed = true;
  if (device.removalNeedsRestart) member.flags |= DI_NEEDRESTART;
  return true;
}

bool TSimDeviceTree::CallClassInstaller(uint32_t installFunction, TDevInfoSet set, const TSpDevinfoData* device) {
  if (m_sets.count(set) == 0) return Fail(ERROR_INVALID_HANDLE);
  if (device == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  TSetMember* member = Member(set, *device);
  if (member == nullptr) return false;
  switch (installFunction) {
    case DIF_INSTALLDEVICEFILES: return InstallDeviceFiles(*member);
    case DIF_REMOVE: return RemoveDevice(*member);
    default: return Fail(ERROR_INVALID_PARAMETER);
  }
}

bool TSimDeviceTree::ScanFileQueue(TFileQueue queue, uint32_t flags, const TQueueScanCallback& onTarget,
                                   uint32_t* result) {
  auto found = m_queues.find(queue);
  if (found == m_queues.end()) return Fail(ERROR_INVALID_HANDLE);
  if ((flags & SPQ_SCAN_USE_CALLBACK) == 0 || !onTarget || result == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *result = 0;
  // The callback may touch the tree; it gets a copy of the queue's paths.
  std::vector<std::string> targets = found->second;
  for (const auto& target : targets)
    if (!onTarget(target)) return Fail(ERROR_CANCELLED);
  return true;
}

bool TSimDeviceTree::ReadInfField(const std::string& infPath, uint32_t infStyle, const std::string& section,
                                  const std::string& key, uint32_t field, std::string* value) {
  if (infStyle != INF_STYLE_WIN4 || value == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  std::optional<TSimInfFile> inf = TSimInfFile::Load(infPath);
  if (!inf) return Fail(ERROR_FILE_NOT_FOUND);
  const TSimInfLine* line = inf->FindLine(section, key);
  if (line == nullptr) return Fail(ERROR_LINE_NOT_FOUND);
  if (field == 0) {
    *value = line->key;
  } else if (field > line->fields.size()) {
    return Fail(ERROR_INVALID_PARAMETER);
  } else {
    if (Utf8ToUtf16(line->fields[field - 1]).size() >= MAX_PATH) return Fail(ERROR_INSUFFICIENT_BUFFER);
    *value = line->fields[field - 1];
  }
  return true;
}

bool TSimDeviceTree::QueueInfSectionFiles(const std::string& infPath, const std::string& section,
                                          TFileQueue queue) {
  auto found = m_queues.find(queue);
  if (found == m_queues.end()) return Fail(ERROR_INVALID_HANDLE);
  std::optional<TSimInfFile> inf = TSimInfFile::Load(infPath);
  if (!inf) return Fail(ERROR_FILE_NOT_FOUND);
  if (!inf->HasSection(section)) return Fail(ERROR_SECTION_NOT_FOUND);
  for (const auto& name : FilesOfInstallSection(*inf, section))
    found->second.push_back(HostText(DriversFolder() / HostPath(name).filename()));
  return true;
}

std::string TSimDeviceTree::SystemDirectory() {
  ++systemDirectoryQueries;
  return systemDirectory;
}

bool TSimDeviceTree::UpdateDriverForPlugAndPlayDevices(const std::string& hardwareId, const std::string& infPath,
                                                       uint32_t installFlags, bool* rebootRequired) {
  constexpr uint32_t INSTALLFLAG_BITS = 0x7;  // force, read-only, non-interactive
  if (!newDevAvailable) return Fail(ERROR_DLL_INIT_FAILED);
  if (installFlags & ~INSTALLFLAG_BITS) return Fail(ERROR_INVALID_FLAGS);
  if (hardwareId.empty() || infPath.empty()) return Fail(ERROR_INVALID_PARAMETER);
  std::error_code error;
  if (!fs::is_regular_file(HostPath(infPath), error)) return Fail(ERROR_FILE_NOT_FOUND);
  std::optional<TSimInfFile> inf = TSimInfFile::Load(infPath);
  if (!inf) return Fail(ERROR_FILE_NOT_FOUND);
  std::vector<TSimDevice*> matching;
  // The installer works on the devices present in the system.
  for (auto& device : devices) {
    if (device.removed || !device.present) continue;
    auto names = [&](const std::vector<std::string>& ids) {
      return std::any_of(ids.begin(), ids.end(), [&](const std::string& id) { return EqualsIgnoringAsciiCase(id, hardwareId); });
    };
    if (names(device.hardwareIds) || names(device.compatibleIds)) matching.push_back(&device);
  }
  std::optional<TSimDriver> driver = DriverOfInf(*inf, hardwareId);
  if (matching.empty() || !driver) return Fail(ERROR_NO_SUCH_DEVINST);
  if ((installFlags & INSTALLFLAG_FORCE) == 0 &&
      std::all_of(matching.begin(), matching.end(), [&](const TSimDevice* device) {
        return device->driver && device->driver->version >= driver->version;
      }))
    return Fail(ERROR_NO_MORE_ITEMS);

  // The INF into the system's INF folder (an identical copy there is reused), its
  // files into the drivers folder.
  if (systemDirectory.empty()) return Fail(ERROR_ACCESS_DENIED);
  const fs::path infFolder = InfFolder();
  const fs::path driversFolder = DriversFolder();
  fs::create_directories(infFolder, error);
  fs::create_directories(driversFolder, error);
  std::ifstream source(HostPath(infPath), std::ios::binary);
  std::string infText((std::istreambuf_iterator<char>(source)), {});
  fs::path installedInf;
  for (const auto& entry : fs::directory_iterator(infFolder, error)) {
    std::ifstream existing(entry.path(), std::ios::binary);
    if (std::string((std::istreambuf_iterator<char>(existing)), {}) == infText) installedInf = entry.path();
  }
  if (installedInf.empty()) {
    do installedInf = infFolder / ("oem" + std::to_string(m_nextOemInf++) + ".inf");
    while (fs::exists(installedInf, error));
    if (!fs::copy_file(HostPath(infPath), installedInf, error)) return Fail(ERROR_ACCESS_DENIED);
  }
  const fs::path sourceFolder = HostPath(infPath).parent_path();
  for (const auto& name : FilesOfInstallSection(*inf, driver->section)) {
    fs::path target = driversFolder / HostPath(name).filename();
    if (!fs::copy_file(sourceFolder / HostPath(name), target, fs::copy_options::overwrite_existing, error))
      return Fail(ERROR_FILE_NOT_FOUND);
    driver->files.push_back(HostText(target));
  }
  driver->infPath = HostText(installedInf);
  for (TSimDevice* device : matching) {
    device->driver = *driver;
    device->driverKey.clear();  // the key now holds what the installer wrote
  }
  if (rebootRequired) *rebootRequired = installNeedsReboot;
  m_lastError = ERROR_SUCCESS;
  return true;
}
