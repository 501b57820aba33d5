// Pieces every DirectShow filter of the program's needs: an owned media type, and the
// enumerators of a filter's pins and of a pin's media types.
#pragma once

#include <atomic>
#include <vector>

#include "media/DirectShow.h"

// One AM_MEDIA_TYPE with its format block and object, freed with it.
class CMediaType {
 public:
  CMediaType() = default;
  CMediaType(const CMediaType&) = delete;
  CMediaType& operator=(const CMediaType&) = delete;
  ~CMediaType() { Reset(); }

  HRESULT Set(const AM_MEDIA_TYPE& mt);
  void Reset();
  bool Empty() const { return m_mt.majortype == GUID_NULL; }
  const AM_MEDIA_TYPE& Get() const { return m_mt; }
  // A copy into a caller's structure, which the caller frees.
  HRESULT CopyTo(AM_MEDIA_TYPE* out) const;
  // A copy in task memory, as enumerators hand them out; null when out of memory.
  AM_MEDIA_TYPE* NewCopy() const;
  // Whether a partly given type (GUID_NULL fields, no format block) admits this one.
  bool MatchedBy(const AM_MEDIA_TYPE& wanted) const;

 private:
  AM_MEDIA_TYPE m_mt = {};
};

// Zeroes a caller's structure, as a pin does when it has no type to give.
void ClearMediaType(AM_MEDIA_TYPE* mt);

DECLARE_INTERFACE_ID(IEnumPins);
DECLARE_INTERFACE_ID(IEnumMediaTypes);

// A COM object of one interface I, made with new and deleted with its last reference.
template <class I>
class CSingleInterface : public I {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != InterfaceId<I>()) return E_NOINTERFACE;
    *out = static_cast<I*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_nRefs; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG refs = --m_nRefs;
    if (refs == 0) delete this;
    return refs;
  }

 protected:
  virtual ~CSingleInterface() = default;

 private:
  std::atomic<ULONG> m_nRefs{1};
};

// The pins of a filter, which they keep alive.
class CPinEnum final : public CSingleInterface<IEnumPins> {
 public:
  CPinEnum(IBaseFilter* filter, std::vector<IPin*> pins, size_t index = 0)
      : m_filter(filter), m_pins(std::move(pins)), m_nIndex(index) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumPins** copy) override;

 private:
  ComPtr<IBaseFilter> m_filter;
  std::vector<IPin*> m_pins;
  size_t m_nIndex;
};

// The media types a pin offers: none, or one.
class CTypeEnum final : public CSingleInterface<IEnumMediaTypes> {
 public:
  // An empty type stands for none.
  static HRESULT Create(const CMediaType& type, IEnumMediaTypes** out, size_t index = 0);

  HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** copy) override;

 private:
  CTypeEnum() = default;
  size_t Count() const { return m_type.Empty() ? 0 : 1; }
  CMediaType m_type;
  size_t m_nIndex = 0;
};
