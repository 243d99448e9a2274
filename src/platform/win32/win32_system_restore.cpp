// The scripting objects are used rather than IWbemLocator/IWbemServices::ExecMethod
// because they are what the program asks for: "WbemScripting.SWbemLocator", ConnectServer
// with server, namespace, user and password, Get of the class, and the method called by
// name with positional arguments. The scripting layer sets the proxy security itself, so
// no CoSetProxyBlanket step and no method-parameter objects are needed, and a failure
// comes back as the HRESULT (or the dispatch exception's code) that the messages show.
#include "platform/win32/win32_system_restore.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wbemdisp.h>

#include <utility>
#include <vector>

#include "platform/win32/win32_com.h"
#include "platform/win32/wmi_services.h"
#include "platform/win32/win32_text.h"

namespace {

// Frees the texts a dispatch exception carries and gives its code.
uint32_t ExceptionCode(EXCEPINFO& exception) {
  if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  if (exception.scode != 0) return static_cast<uint32_t>(exception.scode);
  return exception.wCode != 0 ? static_cast<uint32_t>(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_DISPATCH, exception.wCode))
                              : static_cast<uint32_t>(DISP_E_EXCEPTION);
}

// Calls a method of the "SystemRestore" class object with the arguments in order.
TWmiMethodResult CallSystemRestore(const wchar_t* method, std::vector<TVariant> arguments) {
  TComPtr<ISWbemServices> services;
  HRESULT hr = ConnectLocalWmi(L"root\\DEFAULT", services);
  if (FAILED(hr)) return TWmiMethodResult::Failed(static_cast<uint32_t>(hr));

  TBstr className(L"SystemRestore");
  TComPtr<ISWbemObject> systemRestore;
  hr = services->Get(className.Get(), 0, nullptr, systemRestore.Receive());
  if (FAILED(hr)) return TWmiMethodResult::Failed(static_cast<uint32_t>(hr));

  LPOLESTR name = const_cast<LPOLESTR>(method);
  DISPID member = DISPID_UNKNOWN;
  hr = systemRestore->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &member);
  if (FAILED(hr)) return TWmiMethodResult::Failed(static_cast<uint32_t>(hr));

  // IDispatch takes the arguments last first.
  std::vector<VARIANT> reversed;
  for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) reversed.push_back(*argument->Get());
  DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  TVariant result;
  EXCEPINFO exception{};
  UINT argumentError = 0;
  hr = systemRestore->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result.Get(),
                             &exception, &argumentError);
  if (hr == DISP_E_EXCEPTION) return TWmiMethodResult::Failed(ExceptionCode(exception));
  if (FAILED(hr)) return TWmiMethodResult::Failed(static_cast<uint32_t>(hr));

  // A return value that is not a number is a failure without an HRESULT of its own.
  TVariant number;
  if (FAILED(VariantChangeType(number.Get(), result.Get(), 0, VT_I4))) return TWmiMethodResult::Failed(0);
  return TWmiMethodResult::Returned(static_cast<uint32_t>(number.Get()->lVal));
}

}  // namespace

bool TWin32SystemRestore::InitializeCom() { return SUCCEEDED(CoInitialize(nullptr)); }

void TWin32SystemRestore::UninitializeCom() { CoUninitialize(); }

TWmiMethodResult TWin32SystemRestore::CreateRestorePoint(const std::string& description, uint32_t restorePointType,
                                                         uint32_t eventType) {
  std::vector<TVariant> arguments;
  arguments.emplace_back(Utf8ToWide(description));
  arguments.emplace_back(restorePointType);
  arguments.emplace_back(eventType);
  return CallSystemRestore(L"CreateRestorePoint", std::move(arguments));
}

TWmiMethodResult TWin32SystemRestore::Enable(const std::string& drive) {
  std::vector<TVariant> arguments;
  arguments.emplace_back(Utf8ToWide(drive));
  return CallSystemRestore(L"Enable", std::move(arguments));
}
