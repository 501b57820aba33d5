// The preview's positions in media time, whatever time format its graph was left in.
#pragma once

#include <windows.h>
#include <dshow.h>

// Runs fn with the seeking interface switched to media time, restoring the caller's
// format afterwards. Fails when media time is not offered or cannot be set.
template <class Fn>
HRESULT InMediaTime(IMediaSeeking* seeking, Fn fn) {
  if (seeking->IsFormatSupported(&TIME_FORMAT_MEDIA_TIME) != S_OK) return E_NOINTERFACE;
  GUID saved = {};
  HRESULT hr = seeking->GetTimeFormat(&saved);
  if (FAILED(hr)) return hr;
  hr = seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME);
  if (FAILED(hr)) return hr;
  hr = fn();
  if (FAILED(hr)) {
    if (!IsEqualGUID(saved, TIME_FORMAT_MEDIA_TIME)) seeking->SetTimeFormat(&saved);
    return hr;
  }
  if (!IsEqualGUID(saved, TIME_FORMAT_MEDIA_TIME)) return seeking->SetTimeFormat(&saved);
  return hr;
}
