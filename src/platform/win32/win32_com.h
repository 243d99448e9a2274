// Owners of COM resources: an interface pointer, a BSTR, a VARIANT, and COM
// initialised for a scope.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <utility>

// Owns one COM interface pointer.
template <typename T>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() {
    if (m_pointer != nullptr) m_pointer->Release();
  }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  T* operator->() const { return m_pointer; }
  T* Get() const { return m_pointer; }
  T** Receive() { return &m_pointer; }

 private:
  T* m_pointer = nullptr;
};

// Owns one BSTR.
class TBstr {
 public:
  explicit TBstr(const std::wstring& text) : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~TBstr() { SysFreeString(m_text); }
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  BSTR Get() const { return m_text; }

 private:
  BSTR m_text;
};

// Owns one VARIANT.
class TVariant {
 public:
  TVariant() { VariantInit(&m_value); }
  explicit TVariant(const std::wstring& text) : TVariant() {
    m_value.vt = VT_BSTR;
    m_value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  explicit TVariant(uint32_t number) : TVariant() {
    m_value.vt = VT_I4;
    m_value.lVal = static_cast<LONG>(number);
  }
  ~TVariant() { VariantClear(&m_value); }
  TVariant(TVariant&& other) noexcept : TVariant() { std::swap(m_value, other.m_value); }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;
  VARIANT* Get() { return &m_value; }

 private:
  VARIANT m_value;
};

// COM initialised on the calling thread for a scope (a single-threaded apartment);
// a thread already in another apartment keeps it.
class TComScope {
 public:
  TComScope() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~TComScope() {
    if (SUCCEEDED(m_result)) CoUninitialize();
  }
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;

 private:
  HRESULT m_result;
};
