#include "platform/win32/wmi_services.h"

HRESULT ConnectLocalWmi(const wchar_t* nameSpace, TComPtr<ISWbemServices>& services) {
  CLSID locatorClass{};
  HRESULT hr = CLSIDFromProgID(L"WbemScripting.SWbemLocator", &locatorClass);
  if (FAILED(hr)) return hr;
  TComPtr<ISWbemLocator> locator;
  hr = CoCreateInstance(locatorClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ISWbemLocator),
                        reinterpret_cast<void**>(locator.Receive()));
  if (FAILED(hr)) return hr;
  TBstr server(L"localhost"), space(nameSpace), empty(L"");
  return locator->ConnectServer(server.Get(), space.Get(), empty.Get(), empty.Get(), empty.Get(), empty.Get(), 0,
                                nullptr, services.Receive());
}
