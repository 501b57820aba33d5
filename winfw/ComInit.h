// Initialises COM on the current thread for one scope; uninitialises only if the
// initialisation succeeded (S_FALSE included, which also counts once).
#pragma once

#include <objbase.h>

class ComInit {
 public:
  explicit ComInit(DWORD model = COINIT_APARTMENTTHREADED) : m_hr(CoInitializeEx(nullptr, model)) {}
  ComInit(const ComInit&) = delete;
  ComInit& operator=(const ComInit&) = delete;
  ~ComInit() {
    if (SUCCEEDED(m_hr)) CoUninitialize();
  }
  HRESULT Result() const { return m_hr; }

 private:
  HRESULT m_hr;
};
