// Registry port: the value reads and writes the program makes under HKLM and HKCU.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

enum class TRegRoot { LocalMachine, CurrentUser };
enum class TRegAccess { Read, Write, All };

// Value types, with the numbers of winnt.h.
#ifndef REG_NONE
constexpr uint32_t REG_NONE = 0;
#endif
#ifndef REG_SZ
constexpr uint32_t REG_SZ = 1;
#endif
#ifndef REG_EXPAND_SZ
constexpr uint32_t REG_EXPAND_SZ = 2;
#endif
#ifndef REG_BINARY
constexpr uint32_t REG_BINARY = 3;
#endif
#ifndef REG_DWORD
constexpr uint32_t REG_DWORD = 4;
#endif
#ifndef REG_MULTI_SZ
constexpr uint32_t REG_MULTI_SZ = 7;
#endif

class IRegistryKey {
 public:
  virtual ~IRegistryKey() = default;
  // The value's type, or nothing when the value does not exist.
  virtual std::optional<uint32_t> ValueType(const std::string& name) = 0;
  // Reads succeed only for a value of the matching type.
  virtual std::optional<uint32_t> ReadDword(const std::string& name) = 0;
  virtual std::optional<std::string> ReadString(const std::string& name) = 0;
  virtual bool WriteDword(const std::string& name, uint32_t value) = 0;
  virtual bool WriteString(const std::string& name, const std::string& value) = 0;
  // RegDeleteValueW; false when the value does not exist or cannot be deleted.
  virtual bool DeleteValue(const std::string& name) = 0;
};

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // Opens (or, with create, creates) a key in the default registry view;
  // nullptr when it cannot be opened with the access asked for.
  virtual std::unique_ptr<IRegistryKey> OpenKey(TRegRoot root, const std::string& path,
                                                TRegAccess access, bool create) = 0;
};
