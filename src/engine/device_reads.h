// Reads over the device-installation port: registry properties into fixed
// buffers, class names, and values of the keys SetupAPI opens.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/device_install.h"

// UTF-16LE bytes up to the first terminator, as UTF-8.
std::string TextOfUtf16Bytes(const uint8_t* bytes, size_t size);
// The non-empty strings of a REG_MULTI_SZ buffer, up to the empty string that ends it.
std::vector<std::string> StringsOfMultiSz(const uint8_t* bytes, size_t size);

// One query of a string property into a buffer of bufferBytes (plus room for a
// terminator); nothing when it fails or is empty.
std::optional<std::string> ReadStringPropertyOnce(IDeviceInstall& devices, TDevInfoSet set,
                                                  const TSpDevinfoData& device, uint32_t property,
                                                  uint32_t bufferBytes);
// The class's name read into a buffer of nameChars characters; nothing when it has none.
std::optional<std::string> ClassNameOf(IDeviceInstall& devices, const TGuid& classGuid, uint32_t nameChars);
// A REG_SZ value of a key read into a buffer of bufferBytes; nothing when absent or unreadable.
std::optional<std::string> ReadKeyText(IDeviceInstall& devices, TRegKeyHandle key,
                                       const std::string& valueName, uint32_t bufferBytes);
// An 8-byte REG_BINARY value as a little-endian number.
std::optional<uint64_t> ReadKeyQword(IDeviceInstall& devices, TRegKeyHandle key, const std::string& valueName);
