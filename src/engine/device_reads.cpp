#include "engine/device_reads.h"

#include "platform/utf16le.h"

namespace {

bool IsNulUnit(const uint8_t* bytes, size_t index) { return bytes[2 * index] == 0 && bytes[2 * index + 1] == 0; }

// The bytes up to the first NUL unit: property buffers are mostly empty space, and only
// the text in them is converted.
size_t BytesBeforeNul(const uint8_t* bytes, size_t size) {
  size_t index = 0;
  while (index < size / 2 && !IsNulUnit(bytes, index)) ++index;
  return 2 * index;
}

// The bytes up to the empty string that ends a multi-string list.
size_t BytesOfMultiSzList(const uint8_t* bytes, size_t size) {
  for (size_t index = 0; index < size / 2; ++index) {
    if (IsNulUnit(bytes, index) && (index == 0 || IsNulUnit(bytes, index - 1))) return 2 * index;
  }
  return size;
}

}  // namespace

std::string TextOfUtf16Bytes(const uint8_t* bytes, size_t size) {
  std::u16string units = Utf16LeUnits(bytes, BytesBeforeNul(bytes, size));
  return Utf16ToUtf8(units.data(), units.size());
}

std::vector<std::string> StringsOfMultiSz(const uint8_t* bytes, size_t size) {
  std::u16string units = Utf16LeUnits(bytes, BytesOfMultiSzList(bytes, size));
  std::vector<std::string> strings;
  size_t start = 0;
  while (start < units.size()) {
    size_t end = units.find(u'\0', start);
    if (end == std::u16string::npos) end = units.size();
    if (end == start) break;  // the empty string that ends the list
    strings.push_back(Utf16ToUtf8(units.data() + start, end - start));
    start = end + 1;
  }
  return strings;
}

std::optional<std::string> ReadStringPropertyOnce(IDeviceInstall& devices, TDevInfoSet set,
                                                  const TSpDevinfoData& device, uint32_t property,
                                                  uint32_t bufferBytes) {
  std::vector<uint8_t> buffer(bufferBytes + 2, 0);
  uint32_t type = 0, required = 0;
  if (!devices.GetDeviceRegistryProperty(set, device, property, &type, buffer.data(), bufferBytes, &required))
    return std::nullopt;
  std::string text = TextOfUtf16Bytes(buffer.data(), buffer.size());
  if (text.empty()) return std::nullopt;
  return text;
}

std::optional<std::string> ClassNameOf(IDeviceInstall& devices, const TGuid& classGuid, uint32_t nameChars) {
  std::u16string name(nameChars + 1, u'\0');
  uint32_t required = 0;
  if (!devices.ClassNameFromGuid(classGuid, name.data(), nameChars, &required)) return std::nullopt;
  std::string text = Utf16ToUtf8(name.data(), name.find(u'\0'));
  if (text.empty()) return std::nullopt;
  return text;
}

std::optional<std::string> ReadKeyText(IDeviceInstall& devices, TRegKeyHandle key,
                                       const std::string& valueName, uint32_t bufferBytes) {
  std::vector<uint8_t> buffer(bufferBytes + 2, 0);
  uint32_t type = 0, size = bufferBytes;
  if (devices.QueryKeyValue(key, valueName, &type, buffer.data(), &size) != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  return TextOfUtf16Bytes(buffer.data(), size);
}

std::optional<uint64_t> ReadKeyQword(IDeviceInstall& devices, TRegKeyHandle key, const std::string& valueName) {
  uint8_t bytes[8] = {};
  uint32_t type = 0, size = sizeof(bytes);
  if (devices.QueryKeyValue(key, valueName, &type, bytes, &size) != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_BINARY || size != sizeof(bytes)) return std::nullopt;
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}
