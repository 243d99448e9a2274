#include "platform/win32/win32_firmware_tables.h"

#include <windows.h>

#include <optional>

#include "platform/win32/wmi_services.h"

namespace {

constexpr LONG WBEM_FLAG_FORWARD_ONLY = 32;

// Reads one property of the object into value; the HRESULT of a failed read.
HRESULT ReadProperty(ISWbemPropertySet* properties, const wchar_t* name, TVariant& value) {
  TBstr propertyName(name);
  TComPtr<ISWbemProperty> property;
  HRESULT hr = properties->Item(propertyName.Get(), 0, property.Receive());
  if (FAILED(hr)) return hr;
  return property->get_Value(value.Get());
}

// A number property; nothing when it is null, missing or not a number.
std::optional<uint32_t> Number(ISWbemPropertySet* properties, const wchar_t* name, uint32_t& error) {
  TVariant value, number;
  error = static_cast<uint32_t>(ReadProperty(properties, name, value));
  if (error != 0 || value.Get()->vt == VT_NULL || value.Get()->vt == VT_EMPTY) return std::nullopt;
  HRESULT hr = VariantChangeType(number.Get(), value.Get(), 0, VT_UI4);
  if (FAILED(hr)) {
    error = static_cast<uint32_t>(hr);
    return std::nullopt;
  }
  return number.Get()->ulVal;
}

uint8_t Byte(ISWbemPropertySet* properties, const wchar_t* name) {
  uint32_t error = 0;
  return static_cast<uint8_t>(Number(properties, name, error).value_or(0));
}

// A byte array property, given as bytes or as variants; every element of the array
// from its lower to its upper bound.
std::optional<std::vector<uint8_t>> Bytes(ISWbemPropertySet* properties, const wchar_t* name, uint32_t& error) {
  TVariant value;
  error = static_cast<uint32_t>(ReadProperty(properties, name, value));
  const VARTYPE type = value.Get()->vt;
  if (error != 0 || !(type & VT_ARRAY) || value.Get()->parray == nullptr) {
    if (error == 0 && type != VT_NULL && type != VT_EMPTY) error = static_cast<uint32_t>(DISP_E_TYPEMISMATCH);
    return std::nullopt;
  }
  SAFEARRAY* array = value.Get()->parray;
  LONG lower = 0, upper = -1;
  if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper))) {
    error = static_cast<uint32_t>(DISP_E_BADINDEX);
    return std::nullopt;
  }
  std::vector<uint8_t> bytes;
  for (LONG index = lower; index <= upper; ++index) {
    if ((type & VT_TYPEMASK) == VT_UI1) {
      uint8_t byte = 0;
      if (FAILED(SafeArrayGetElement(array, &index, &byte))) break;
      bytes.push_back(byte);
    } else {
      TVariant element, converted;
      if (FAILED(SafeArrayGetElement(array, &index, element.Get())) ||
          FAILED(VariantChangeType(converted.Get(), element.Get(), 0, VT_UI1)))
        break;
      bytes.push_back(converted.Get()->bVal);
    }
  }
  return bytes;
}

}  // namespace

uint32_t TWin32FirmwareTables::LastError() { return GetLastError(); }

uint32_t TWin32FirmwareTables::GetSystemFirmwareTable(uint32_t provider, uint32_t tableId, uint8_t* buffer,
                                                      uint32_t bufferSize) {
  return ::GetSystemFirmwareTable(provider, tableId, buffer, bufferSize);
}

TWmiRawSmbiosTables TWin32FirmwareTables::QueryRawSmbiosTables() {
  TWmiRawSmbiosTables answer;
  TComScope com;
  TComPtr<ISWbemServices> services;
  HRESULT hr = ConnectLocalWmi(L"root\\WMI", services);
  TComPtr<ISWbemObjectSet> objects;
  if (SUCCEEDED(hr)) {
    TBstr query(L"SELECT * FROM MSSmBios_RawSMBiosTables"), language(L"WQL");
    hr = services->ExecQuery(query.Get(), language.Get(), WBEM_FLAG_FORWARD_ONLY, nullptr, objects.Receive());
  }
  TComPtr<IUnknown> enumeration;
  if (SUCCEEDED(hr)) hr = objects->get__NewEnum(enumeration.Receive());
  TComPtr<IEnumVARIANT> items;
  if (SUCCEEDED(hr))
    hr = enumeration->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(items.Receive()));
  TVariant item;
  ULONG fetched = 0;
  if (SUCCEEDED(hr)) hr = items->Next(1, item.Get(), &fetched);
  if (FAILED(hr)) {
    answer.hresult = static_cast<uint32_t>(hr);
    return answer;
  }
  if (fetched != 1 || item.Get()->vt != VT_DISPATCH || item.Get()->pdispVal == nullptr) return answer;

  TComPtr<ISWbemObject> object;
  TComPtr<ISWbemPropertySet> properties;
  hr = item.Get()->pdispVal->QueryInterface(__uuidof(ISWbemObject), reinterpret_cast<void**>(object.Receive()));
  if (SUCCEEDED(hr)) hr = object->get_Properties_(properties.Receive());
  if (FAILED(hr)) {
    answer.hresult = static_cast<uint32_t>(hr);
    return answer;
  }
  answer.found = true;
  answer.used20CallingMethod = Byte(properties.Get(), L"Used20CallingMethod");
  answer.smbiosMajorVersion = Byte(properties.Get(), L"SmbiosMajorVersion");
  answer.smbiosMinorVersion = Byte(properties.Get(), L"SmbiosMinorVersion");
  answer.dmiRevision = Byte(properties.Get(), L"DmiRevision");
  answer.size = Number(properties.Get(), L"Size", answer.sizeError);
  answer.smbiosData = Bytes(properties.Get(), L"SMBiosData", answer.smbiosDataError);
  return answer;
}
