// Owning pointer to a COM interface: one reference, released on every exit path.
#pragma once

#include <unknwn.h>

#include <cassert>
#include <utility>

// The interface id of T, so that the id asked for always matches the pointer's type.
// Headers that give T no id for __uuidof (some of MinGW's DirectShow headers) get an
// explicit specialisation, DECLARE_INTERFACE_ID, next to the code that uses T.
template <class T>
struct InterfaceIdOf {
  static const IID& Get() { return __uuidof(T); }
};
template <class T>
const IID& InterfaceId() {
  return InterfaceIdOf<T>::Get();
}
#define DECLARE_INTERFACE_ID(T)                     \
  template <>                                       \
  struct InterfaceIdOf<T> {                         \
    static const IID& Get() { return IID_##T; }     \
  }

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference of its own.
  explicit ComPtr(T* p) : m_p(p) {
    if (m_p) m_p->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
  ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(m_p, other.m_p);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (T* p = std::exchange(m_p, nullptr)) p->Release();
  }
  // Adopts a reference the caller already owns.
  void Attach(T* p) {
    Reset();
    m_p = p;
  }
  // Hands the reference to the caller, who must release it.
  T* Detach() { return std::exchange(m_p, nullptr); }

  // For functions that return a new reference through T**; the pointer must be empty,
  // so that nothing is leaked by overwriting it.
  T** Out() {
    assert(m_p == nullptr);
    return &m_p;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }

  // Asks this object for U; other is empty unless the call succeeds.
  template <class U>
  HRESULT As(ComPtr<U>& other) const {
    return other.QueryFrom(m_p);
  }
  // Asks source for T and holds the answer, empty on failure. What this pointer held is
  // released only afterwards, so that source may be (part of) that object.
  HRESULT QueryFrom(IUnknown* source) {
    ComPtr answer;
    const HRESULT hr = source ? source->QueryInterface(InterfaceId<T>(), answer.OutVoid()) : E_POINTER;
    *this = std::move(answer);
    return hr;
  }

  T* Get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }

 private:
  T* m_p = nullptr;
};

// Creates an in-process COM object, asking for the interface of out.
template <class T>
HRESULT CreateInProc(REFCLSID clsid, ComPtr<T>& out) {
  out.Reset();
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, InterfaceId<T>(), out.OutVoid());
}
