// WMI through its scripting objects: the locator "WbemScripting.SWbemLocator"
// connected to a namespace of the local machine.
#pragma once

#include <wbemdisp.h>

#include "platform/win32/win32_com.h"

// ConnectServer to "localhost" and the namespace with no user name or password;
// the HRESULT of the first step that failed, else S_OK.
HRESULT ConnectLocalWmi(const wchar_t* nameSpace, TComPtr<ISWbemServices>& services);
