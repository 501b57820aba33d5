#include "media/FilterParts.h"

#include <cstring>
#include <new>

namespace {
// Fills fetched as the enumerators' callers expect: optional for a single item.
HRESULT CheckNextArguments(ULONG count, const void* items, const ULONG* fetched) {
  if (!items) return E_POINTER;
  if (count > 1 && !fetched) return E_INVALIDARG;
  return S_OK;
}

// A deep copy: the format block in task memory of its own, the object with a reference.
HRESULT CopyMediaType(const AM_MEDIA_TYPE& from, AM_MEDIA_TYPE* out) {
  if (!out) return E_POINTER;
  *out = from;
  out->pbFormat = nullptr;
  out->cbFormat = 0;
  if (from.cbFormat && from.pbFormat) {
    out->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(from.cbFormat));
    if (!out->pbFormat) {
      out->pUnk = nullptr;
      return E_OUTOFMEMORY;
    }
    std::memcpy(out->pbFormat, from.pbFormat, from.cbFormat);
    out->cbFormat = from.cbFormat;
  }
  if (out->pUnk) out->pUnk->AddRef();
  return S_OK;
}
}  // namespace

HRESULT CMediaType::Set(const AM_MEDIA_TYPE& mt) {
  Reset();
  return CopyMediaType(mt, &m_mt);
}

void CMediaType::Reset() {
  if (m_mt.pbFormat) CoTaskMemFree(m_mt.pbFormat);
  if (m_mt.pUnk) m_mt.pUnk->Release();
  m_mt = {};
}

HRESULT CMediaType::CopyTo(AM_MEDIA_TYPE* out) const { return CopyMediaType(m_mt, out); }

AM_MEDIA_TYPE* CMediaType::NewCopy() const {
  auto* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
  if (copy && FAILED(CopyTo(copy))) {
    CoTaskMemFree(copy);
    return nullptr;
  }
  return copy;
}

bool CMediaType::MatchedBy(const AM_MEDIA_TYPE& wanted) const {
  if (wanted.majortype != GUID_NULL && wanted.majortype != m_mt.majortype) return false;
  if (wanted.subtype != GUID_NULL && wanted.subtype != m_mt.subtype) return false;
  if (wanted.formattype == GUID_NULL) return true;
  if (wanted.formattype != m_mt.formattype) return false;
  return !wanted.cbFormat || (wanted.cbFormat == m_mt.cbFormat && wanted.pbFormat &&
                              std::memcmp(wanted.pbFormat, m_mt.pbFormat, m_mt.cbFormat) == 0);
}

void ClearMediaType(AM_MEDIA_TYPE* mt) {
  if (mt) *mt = {};
}

HRESULT CPinEnum::Next(ULONG count, IPin** pins, ULONG* fetched) {
  const HRESULT hr = CheckNextArguments(count, pins, fetched);
  if (FAILED(hr)) return hr;
  ULONG n = 0;
  for (; n < count && m_nIndex < m_pins.size(); ++n, ++m_nIndex) {
    pins[n] = m_pins[m_nIndex];
    pins[n]->AddRef();
  }
  if (fetched) *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT CPinEnum::Skip(ULONG count) {
  m_nIndex += count;
  if (m_nIndex <= m_pins.size()) return S_OK;
  m_nIndex = m_pins.size();
  return S_FALSE;
}

HRESULT CPinEnum::Reset() {
  m_nIndex = 0;
  return S_OK;
}

HRESULT CPinEnum::Clone(IEnumPins** copy) {
  if (!copy) return E_POINTER;
  *copy = new (std::nothrow) CPinEnum(m_filter.Get(), m_pins, m_nIndex);
  return *copy ? S_OK : E_OUTOFMEMORY;
}

HRESULT CTypeEnum::Create(const CMediaType& type, IEnumMediaTypes** out, size_t index) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ComPtr<IEnumMediaTypes> made;
  made.Attach(new (std::nothrow) CTypeEnum());
  if (!made) return E_OUTOFMEMORY;
  auto* types = static_cast<CTypeEnum*>(made.Get());
  if (!type.Empty() && FAILED(types->m_type.Set(type.Get()))) return E_OUTOFMEMORY;
  types->m_nIndex = index;
  *out = made.Detach();
  return S_OK;
}

HRESULT CTypeEnum::Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) {
  const HRESULT hr = CheckNextArguments(count, types, fetched);
  if (FAILED(hr)) return hr;
  ULONG n = 0;
  for (; n < count && m_nIndex < Count(); ++n, ++m_nIndex) {
    types[n] = m_type.NewCopy();
    if (!types[n]) break;
  }
  if (fetched) *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT CTypeEnum::Skip(ULONG count) {
  m_nIndex += count;
  if (m_nIndex <= Count()) return S_OK;
  m_nIndex = Count();
  return S_FALSE;
}

HRESULT CTypeEnum::Reset() {
  m_nIndex = 0;
  return S_OK;
}

HRESULT CTypeEnum::Clone(IEnumMediaTypes** copy) { return Create(m_type, copy, m_nIndex); }
