#include "media/AudioPassFilter.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <new>
#include <string>

#include "media/FilterParts.h"
#include "media/WaveFormat.h"

namespace {
static_assert(sizeof(WAVEFORMATEX) == kPlainFormatSize, "the plain record is a WAVEFORMATEX");

// The class id the filter reports; it is registered nowhere.
constexpr CLSID kPassFilterClassId = {0x7d3f2a61, 0x4c1b, 0x4e8a, {0x9b, 0x52, 0x3e, 0x0c, 0x6a, 0x1d, 0x8f, 0x47}};
constexpr wchar_t kInputName[] = L"In";
constexpr wchar_t kOutputName[] = L"Out";

enum class PassKind {
  ManyChannelsAsPlainPcm,  // the conversion's: extensible PCM of more than two channels, as plain PCM
  DecodedAudio,            // the preview's watch: PCM as it is
};

// The plain PCM type the adapter gives for a type it takes; false for any other.
bool PlainTypeFor(const AM_MEDIA_TYPE& taken, CMediaType& plain) {
  unsigned char record[kPlainFormatSize];
  if (taken.majortype != MEDIATYPE_Audio || taken.formattype != FORMAT_WaveFormatEx || !taken.pbFormat ||
      !PlainPcmForManyChannels(taken.pbFormat, taken.cbFormat, record))
    return false;
  AM_MEDIA_TYPE mt = {};
  mt.majortype = MEDIATYPE_Audio;
  mt.subtype = MEDIASUBTYPE_PCM;
  mt.bFixedSizeSamples = TRUE;
  mt.lSampleSize = reinterpret_cast<const WAVEFORMATEX*>(record)->nBlockAlign;
  mt.formattype = FORMAT_WaveFormatEx;
  mt.cbFormat = sizeof(record);
  mt.pbFormat = record;
  return SUCCEEDED(plain.Set(mt));
}

// Decoded audio as PCM, plain or extensible; the same type goes on. (Decoders that give
// floating-point samples offer PCM as well, and the registered audio renderers are found
// for PCM.)
bool DecodedTypeFor(const AM_MEDIA_TYPE& taken, CMediaType& same) {
  if (taken.majortype != MEDIATYPE_Audio || taken.formattype != FORMAT_WaveFormatEx || !taken.pbFormat ||
      taken.cbFormat < kPlainFormatSize)
    return false;
  std::uint16_t tag = FormatTag(taken.pbFormat);
  if (tag == kFormatTagExtensible) tag = ExtensibleSubFormatTag(taken.pbFormat, taken.cbFormat);
  return tag == kFormatTagPcm && SUCCEEDED(same.Set(taken));
}

// The type a filter of kind gives for a type it takes; false when it does not take it.
bool OutputTypeFor(PassKind kind, const AM_MEDIA_TYPE& taken, CMediaType& given) {
  return kind == PassKind::ManyChannelsAsPlainPcm ? PlainTypeFor(taken, given) : DecodedTypeFor(taken, given);
}

HRESULT CopyPinName(const wchar_t* name, LPWSTR* id) {
  if (!id) return E_POINTER;
  const size_t bytes = (std::wcslen(name) + 1) * sizeof(wchar_t);
  *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  if (!*id) return E_OUTOFMEMORY;
  std::memcpy(*id, name, bytes);
  return S_OK;
}

class CAudioPassFilter;

// What both pins share: their references are the filter's, and so is their lock.
class CPinBase {
 public:
  explicit CPinBase(CAudioPassFilter& filter) : m_filter(filter) {}

 protected:
  ULONG AddFilterRef();
  ULONG ReleaseFilterRef();
  HRESULT PinInfo(PIN_INFO* info, PIN_DIRECTION dir, const wchar_t* name);
  CAudioPassFilter& m_filter;
};

class CInputPin final : public IPin, public IMemInputPin, CPinBase {
 public:
  using CPinBase::CPinBase;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddFilterRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseFilterRef(); }

  HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE Disconnect() override;
  HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
  HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override { return PinInfo(info, PINDIR_INPUT, kInputName); }
  HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* dir) override;
  HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override { return CopyPinName(kInputName, id); }
  HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
  HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EndOfStream() override;
  HRESULT STDMETHODCALLTYPE BeginFlush() override;
  HRESULT STDMETHODCALLTYPE EndFlush() override;
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

  HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override;
  HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
  HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
  HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, long count, long* done) override;
  HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override;
};

class COutputPin final : public IPin, public IMediaSeeking, CPinBase {
 public:
  using CPinBase::CPinBase;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddFilterRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseFilterRef(); }

  HRESULT STDMETHODCALLTYPE Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE Disconnect() override;
  HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
  HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override { return PinInfo(info, PINDIR_OUTPUT, kOutputName); }
  HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* dir) override;
  HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override { return CopyPinName(kOutputName, id); }
  HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
  HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EndOfStream() override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE BeginFlush() override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE EndFlush() override { return E_UNEXPECTED; }
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return E_UNEXPECTED; }

  // Seeking belongs to the filters upstream: every call goes on to the pin that feeds the adapter.
  HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* caps) override;
  HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* caps) override;
  HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* format) override;
  HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* format) override;
  HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* format) override;
  HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* format) override;
  HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* format) override;
  HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* duration) override;
  HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* stop) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* current) override;
  HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                              const GUID* sourceFormat) override;
  HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                         DWORD stopFlags) override;
  HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* current, LONGLONG* stop) override;
  HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
  HRESULT STDMETHODCALLTYPE SetRate(double rate) override;
  HRESULT STDMETHODCALLTYPE GetRate(double* rate) override;
  HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* preroll) override;

 private:
  template <class Call>
  HRESULT Upstream(Call call);
};

class CAudioPassFilter final : public IBaseFilter {
 public:
  explicit CAudioPassFilter(PassKind kind) : m_nKind(kind) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_nRefs; }
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override;
  HRESULT STDMETHODCALLTYPE Stop() override { return SetState(State_Stopped); }
  HRESULT STDMETHODCALLTYPE Pause() override { return SetState(State_Paused); }
  HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override {
    m_dwLastSample = GetTickCount();  // a stretch without samples counts from here
    return SetState(State_Running);
  }
  HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE* state) override;
  HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
  HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
  HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
  HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
  HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
  HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
  HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

  const PassKind m_nKind;
  // Connections change only while the graph is stopped; the streaming calls take a
  // reference to what they need under the lock and call it outside.
  std::mutex m_lock;
  FILTER_STATE m_nState = State_Stopped;
  ComPtr<IPin> m_inputPeer;
  CMediaType m_inputType;
  CMediaType m_outputType;  // follows from the input's type
  ComPtr<IMemAllocator> m_allocator;
  ComPtr<IPin> m_outputPeer;
  ComPtr<IMemInputPin> m_outputSink;
  CInputPin m_input{*this};
  COutputPin m_output{*this};
  // When the last sample went by, and whether the stream has ended since it last ran.
  std::atomic<DWORD> m_dwLastSample{0};
  std::atomic<bool> m_bEnded{false};

  ComPtr<IPin> InputPeer() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_inputPeer;
  }
  ComPtr<IPin> OutputPeer() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_outputPeer;
  }
  ComPtr<IMemInputPin> OutputSink() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_outputSink;
  }

 private:
  HRESULT SetState(FILTER_STATE state);
  std::atomic<ULONG> m_nRefs{1};
  ComPtr<IReferenceClock> m_clock;
  IFilterGraph* m_graph = nullptr;  // not held: the graph holds its filters
  std::wstring m_name;
};

ULONG CPinBase::AddFilterRef() { return m_filter.AddRef(); }
ULONG CPinBase::ReleaseFilterRef() { return m_filter.Release(); }

HRESULT CPinBase::PinInfo(PIN_INFO* info, PIN_DIRECTION dir, const wchar_t* name) {
  if (!info) return E_POINTER;
  info->pFilter = &m_filter;
  m_filter.AddRef();
  info->dir = dir;
  lstrcpynW(info->achName, name, MAX_PIN_NAME);
  return S_OK;
}

HRESULT QueryPinDirection(PIN_DIRECTION* dir, PIN_DIRECTION value) {
  if (!dir) return E_POINTER;
  *dir = value;
  return S_OK;
}

HRESULT PeerOf(const ComPtr<IPin>& peer, IPin** pin) {
  if (!pin) return E_POINTER;
  *pin = ComPtr<IPin>(peer).Detach();
  return *pin ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT TypeOf(const ComPtr<IPin>& peer, const CMediaType& type, AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  if (!peer) {
    ClearMediaType(mt);
    return VFW_E_NOT_CONNECTED;
  }
  return type.CopyTo(mt);
}

// --- Input pin ---

HRESULT CInputPin::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IPin)
    *out = static_cast<IPin*>(this);
  else if (iid == IID_IMemInputPin)
    *out = static_cast<IMemInputPin*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT CInputPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) {
  if (!connector || !mt) return E_POINTER;
  PIN_DIRECTION dir = PINDIR_INPUT;
  if (FAILED(connector->QueryDirection(&dir)) || dir != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
  std::lock_guard<std::mutex> hold(m_filter.m_lock);
  if (m_filter.m_inputPeer) return VFW_E_ALREADY_CONNECTED;
  if (m_filter.m_nState != State_Stopped) return VFW_E_NOT_STOPPED;
  CMediaType given;
  if (!OutputTypeFor(m_filter.m_nKind, *mt, given)) return VFW_E_TYPE_NOT_ACCEPTED;
  HRESULT hr = m_filter.m_inputType.Set(*mt);
  if (SUCCEEDED(hr)) hr = m_filter.m_outputType.Set(given.Get());
  if (FAILED(hr)) {
    m_filter.m_inputType.Reset();
    return hr;
  }
  m_filter.m_inputPeer = ComPtr<IPin>(connector);
  return S_OK;
}

HRESULT CInputPin::Disconnect() {
  std::lock_guard<std::mutex> hold(m_filter.m_lock);
  if (!m_filter.m_inputPeer) return S_FALSE;
  if (m_filter.m_nState != State_Stopped) return VFW_E_NOT_STOPPED;
  m_filter.m_inputPeer.Reset();
  m_filter.m_inputType.Reset();
  m_filter.m_allocator.Reset();
  return S_OK;
}

HRESULT CInputPin::ConnectedTo(IPin** pin) { return PeerOf(m_filter.InputPeer(), pin); }

HRESULT CInputPin::ConnectionMediaType(AM_MEDIA_TYPE* mt) {
  std::lock_guard<std::mutex> hold(m_filter.m_lock);
  return TypeOf(m_filter.m_inputPeer, m_filter.m_inputType, mt);
}

HRESULT CInputPin::QueryDirection(PIN_DIRECTION* dir) { return QueryPinDirection(dir, PINDIR_INPUT); }

HRESULT CInputPin::QueryAccept(const AM_MEDIA_TYPE* mt) {
  CMediaType given;
  return mt && OutputTypeFor(m_filter.m_nKind, *mt, given) ? S_OK : S_FALSE;
}

HRESULT CInputPin::EnumMediaTypes(IEnumMediaTypes** types) {
  // The adapter proposes nothing: it takes what the decoder proposes.
  return CTypeEnum::Create(CMediaType(), types);
}

HRESULT CInputPin::EndOfStream() {
  m_filter.m_bEnded = true;
  const ComPtr<IPin> peer = m_filter.OutputPeer();
  return peer ? peer->EndOfStream() : S_OK;
}

HRESULT CInputPin::BeginFlush() {
  m_filter.m_bEnded = false;  // a seek: the stream goes on from elsewhere
  m_filter.m_dwLastSample = GetTickCount();
  const ComPtr<IPin> peer = m_filter.OutputPeer();
  return peer ? peer->BeginFlush() : S_OK;
}

HRESULT CInputPin::EndFlush() {
  const ComPtr<IPin> peer = m_filter.OutputPeer();
  return peer ? peer->EndFlush() : S_OK;
}

HRESULT CInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  const ComPtr<IPin> peer = m_filter.OutputPeer();
  return peer ? peer->NewSegment(start, stop, rate) : S_OK;
}

HRESULT CInputPin::GetAllocator(IMemAllocator** allocator) {
  // The decoder brings its own; the sink is handed the same one.
  if (!allocator) return E_POINTER;
  *allocator = nullptr;
  return VFW_E_NO_ALLOCATOR;
}

HRESULT CInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL) {
  if (!allocator) return E_POINTER;
  std::lock_guard<std::mutex> hold(m_filter.m_lock);
  m_filter.m_allocator = ComPtr<IMemAllocator>(allocator);
  return S_OK;
}

HRESULT CInputPin::Receive(IMediaSample* sample) {
  m_filter.m_dwLastSample = GetTickCount();
  const ComPtr<IMemInputPin> sink = m_filter.OutputSink();
  return sink ? sink->Receive(sample) : VFW_E_NOT_CONNECTED;
}

HRESULT CInputPin::ReceiveMultiple(IMediaSample** samples, long count, long* done) {
  if (!samples || !done) return E_POINTER;
  *done = 0;
  for (long i = 0; i < count; ++i) {
    const HRESULT hr = Receive(samples[i]);
    if (hr != S_OK) return hr;
    ++*done;
  }
  return S_OK;
}

HRESULT CInputPin::ReceiveCanBlock() {
  const ComPtr<IMemInputPin> sink = m_filter.OutputSink();
  return sink ? sink->ReceiveCanBlock() : S_FALSE;
}

// --- Output pin ---

HRESULT COutputPin::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IPin)
    *out = static_cast<IPin*>(this);
  else if (iid == IID_IMediaSeeking)
    *out = static_cast<IMediaSeeking*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT COutputPin::Connect(IPin* receiver, const AM_MEDIA_TYPE* mt) {
  if (!receiver) return E_POINTER;
  CMediaType offered;
  ComPtr<IMemAllocator> allocator;
  {
    std::lock_guard<std::mutex> hold(m_filter.m_lock);
    if (m_filter.m_outputPeer) return VFW_E_ALREADY_CONNECTED;
    if (m_filter.m_nState != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!m_filter.m_inputPeer) return VFW_E_NO_ACCEPTABLE_TYPES;  // nothing to offer yet
    if (mt && !m_filter.m_outputType.MatchedBy(*mt)) return VFW_E_TYPE_NOT_ACCEPTED;
    const HRESULT hr = offered.Set(m_filter.m_outputType.Get());
    if (FAILED(hr)) return hr;
    allocator = m_filter.m_allocator;
  }
  // Outside the lock: the receiver asks this pin about itself while it connects.
  HRESULT hr = receiver->ReceiveConnection(this, &offered.Get());
  if (FAILED(hr)) return hr;
  ComPtr<IMemInputPin> sink;
  hr = sink.QueryFrom(receiver);
  // The sink reads the decoder's samples and must leave them as they are.
  if (SUCCEEDED(hr) && allocator) hr = sink->NotifyAllocator(allocator.Get(), TRUE);
  if (FAILED(hr)) {
    receiver->Disconnect();
    return hr;
  }
  std::lock_guard<std::mutex> hold(m_filter.m_lock);
  m_filter.m_outputPeer = ComPtr<IPin>(receiver);
  m_filter.m_outputSink = std::move(sink);
  return S_OK;
}

HRESULT COutputPin::Disconnect() {
  std::lock_guard<std::mutex> hold(m_filter.m_lock);
  if (!m_filter.m_outputPeer) return S_FALSE;
  if (m_filter.m_nState != State_Stopped) return VFW_E_NOT_STOPPED;
  m_filter.m_outputPeer.Reset();
  m_filter.m_outputSink.Reset();
  return S_OK;
}

HRESULT COutputPin::ConnectedTo(IPin** pin) { return PeerOf(m_filter.OutputPeer(), pin); }

HRESULT COutputPin::ConnectionMediaType(AM_MEDIA_TYPE* mt) {
  std::lock_guard<std::mutex> hold(m_filter.m_lock);
  return TypeOf(m_filter.m_outputPeer, m_filter.m_outputType, mt);
}

HRESULT COutputPin::QueryDirection(PIN_DIRECTION* dir) { return QueryPinDirection(dir, PINDIR_OUTPUT); }

HRESULT COutputPin::QueryAccept(const AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  std::lock_guard<std::mutex> hold(m_filter.m_lock);
  return !m_filter.m_outputType.Empty() && m_filter.m_outputType.MatchedBy(*mt) ? S_OK : S_FALSE;
}

HRESULT COutputPin::EnumMediaTypes(IEnumMediaTypes** types) {
  std::lock_guard<std::mutex> hold(m_filter.m_lock);
  if (!m_filter.m_inputPeer) return CTypeEnum::Create(CMediaType(), types);
  return CTypeEnum::Create(m_filter.m_outputType, types);
}

template <class Call>
HRESULT COutputPin::Upstream(Call call) {
  ComPtr<IMediaSeeking> seeking;
  const ComPtr<IPin> peer = m_filter.InputPeer();
  if (!peer || FAILED(seeking.QueryFrom(peer.Get()))) return E_NOTIMPL;
  return call(seeking.Get());
}

HRESULT COutputPin::GetCapabilities(DWORD* caps) {
  return Upstream([&](IMediaSeeking* s) { return s->GetCapabilities(caps); });
}
HRESULT COutputPin::CheckCapabilities(DWORD* caps) {
  return Upstream([&](IMediaSeeking* s) { return s->CheckCapabilities(caps); });
}
HRESULT COutputPin::IsFormatSupported(const GUID* format) {
  return Upstream([&](IMediaSeeking* s) { return s->IsFormatSupported(format); });
}
HRESULT COutputPin::QueryPreferredFormat(GUID* format) {
  return Upstream([&](IMediaSeeking* s) { return s->QueryPreferredFormat(format); });
}
HRESULT COutputPin::GetTimeFormat(GUID* format) {
  return Upstream([&](IMediaSeeking* s) { return s->GetTimeFormat(format); });
}
HRESULT COutputPin::IsUsingTimeFormat(const GUID* format) {
  return Upstream([&](IMediaSeeking* s) { return s->IsUsingTimeFormat(format); });
}
HRESULT COutputPin::SetTimeFormat(const GUID* format) {
  return Upstream([&](IMediaSeeking* s) { return s->SetTimeFormat(format); });
}
HRESULT COutputPin::GetDuration(LONGLONG* duration) {
  return Upstream([&](IMediaSeeking* s) { return s->GetDuration(duration); });
}
HRESULT COutputPin::GetStopPosition(LONGLONG* stop) {
  return Upstream([&](IMediaSeeking* s) { return s->GetStopPosition(stop); });
}
HRESULT COutputPin::GetCurrentPosition(LONGLONG* current) {
  return Upstream([&](IMediaSeeking* s) { return s->GetCurrentPosition(current); });
}
HRESULT COutputPin::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                      const GUID* sourceFormat) {
  return Upstream([&](IMediaSeeking* s) { return s->ConvertTimeFormat(target, targetFormat, source, sourceFormat); });
}
HRESULT COutputPin::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
  return Upstream([&](IMediaSeeking* s) { return s->SetPositions(current, currentFlags, stop, stopFlags); });
}
HRESULT COutputPin::GetPositions(LONGLONG* current, LONGLONG* stop) {
  return Upstream([&](IMediaSeeking* s) { return s->GetPositions(current, stop); });
}
HRESULT COutputPin::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
  return Upstream([&](IMediaSeeking* s) { return s->GetAvailable(earliest, latest); });
}
HRESULT COutputPin::SetRate(double rate) {
  return Upstream([&](IMediaSeeking* s) { return s->SetRate(rate); });
}
HRESULT COutputPin::GetRate(double* rate) {
  return Upstream([&](IMediaSeeking* s) { return s->GetRate(rate); });
}
HRESULT COutputPin::GetPreroll(LONGLONG* preroll) {
  return Upstream([&](IMediaSeeking* s) { return s->GetPreroll(preroll); });
}

// --- Filter ---

HRESULT CAudioPassFilter::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  // No IMediaSeeking here: the graph would take the adapter for a renderer.
  if (iid != IID_IUnknown && iid != IID_IPersist && iid != IID_IMediaFilter && iid != IID_IBaseFilter)
    return E_NOINTERFACE;
  *out = static_cast<IBaseFilter*>(this);
  AddRef();
  return S_OK;
}

ULONG CAudioPassFilter::Release() {
  const ULONG refs = --m_nRefs;
  if (refs == 0) delete this;
  return refs;
}

HRESULT CAudioPassFilter::GetClassID(CLSID* id) {
  if (!id) return E_POINTER;
  *id = kPassFilterClassId;
  return S_OK;
}

HRESULT CAudioPassFilter::SetState(FILTER_STATE state) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_nState = state;
  return S_OK;
}

HRESULT CAudioPassFilter::GetState(DWORD, FILTER_STATE* state) {
  if (!state) return E_POINTER;
  std::lock_guard<std::mutex> hold(m_lock);
  *state = m_nState;
  return S_OK;
}

HRESULT CAudioPassFilter::SetSyncSource(IReferenceClock* clock) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_clock = ComPtr<IReferenceClock>(clock);
  return S_OK;
}

HRESULT CAudioPassFilter::GetSyncSource(IReferenceClock** clock) {
  if (!clock) return E_POINTER;
  std::lock_guard<std::mutex> hold(m_lock);
  *clock = ComPtr<IReferenceClock>(m_clock).Detach();
  return S_OK;
}

HRESULT CAudioPassFilter::EnumPins(IEnumPins** pins) {
  if (!pins) return E_POINTER;
  *pins = new (std::nothrow) CPinEnum(this, {static_cast<IPin*>(&m_input), static_cast<IPin*>(&m_output)});
  return *pins ? S_OK : E_OUTOFMEMORY;
}

HRESULT CAudioPassFilter::FindPin(LPCWSTR id, IPin** pin) {
  if (!id || !pin) return E_POINTER;
  *pin = nullptr;
  if (std::wcscmp(id, kInputName) == 0)
    *pin = &m_input;
  else if (std::wcscmp(id, kOutputName) == 0)
    *pin = &m_output;
  else
    return VFW_E_NOT_FOUND;
  (*pin)->AddRef();
  return S_OK;
}

HRESULT CAudioPassFilter::QueryFilterInfo(FILTER_INFO* info) {
  if (!info) return E_POINTER;
  std::lock_guard<std::mutex> hold(m_lock);
  lstrcpynW(info->achName, m_name.c_str(), MAX_FILTER_NAME);
  info->pGraph = m_graph;
  if (m_graph) m_graph->AddRef();
  return S_OK;
}

HRESULT CAudioPassFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_graph = graph;
  m_name = name ? name : L"";
  return S_OK;
}
}  // namespace

namespace {
CAudioPassFilter* Adapter(IBaseFilter* filter) { return static_cast<CAudioPassFilter*>(filter); }

// Adds a filter of kind to graph, to be tried before the registered ones; empty when it
// could not be made or added.
ComPtr<IBaseFilter> AddPassFilter(IGraphBuilder* graph, PassKind kind, const wchar_t* name) {
  ComPtr<IBaseFilter> filter;
  filter.Attach(new (std::nothrow) CAudioPassFilter(kind));
  if (filter && (!graph || FAILED(graph->AddFilter(filter.Get(), name)))) filter.Reset();
  return filter;
}

// Takes the filter out of graph again unless something connected to it.
void RemoveIfUnused(IGraphBuilder* graph, ComPtr<IBaseFilter>& filter) {
  if (!filter) return;
  ComPtr<IPin> peer;
  if (Adapter(filter.Get())->m_input.ConnectedTo(peer.Out()) == S_OK) return;
  graph->RemoveFilter(filter.Get());
  filter.Reset();
}
}  // namespace

HRESULT OpenFileWithPcmAdapter(IAMMultiMediaStream* stream, const wchar_t* path) {
  ComPtr<IGraphBuilder> graph;
  ComPtr<IBaseFilter> adapter;
  if (SUCCEEDED(stream->GetFilterGraph(graph.Out())))
    adapter = AddPassFilter(graph.Get(), PassKind::ManyChannelsAsPlainPcm, L"PCM channel adapter");
  const HRESULT hr = stream->OpenFile(path, 0);
  RemoveIfUnused(graph.Get(), adapter);
  return hr;
}

HRESULT RenderFileWithAudioWatch(IGraphBuilder* graph, const wchar_t* path, ComPtr<IBaseFilter>& watch) {
  watch = AddPassFilter(graph, PassKind::DecodedAudio, L"Audio watch");
  const HRESULT hr = graph->RenderFile(path, nullptr);
  RemoveIfUnused(graph, watch);
  return hr;
}

bool AudioStalled(IBaseFilter* watch, DWORD boundMs) {
  if (!watch) return false;
  CAudioPassFilter* filter = Adapter(watch);
  FILTER_STATE state = State_Stopped;
  filter->GetState(0, &state);
  return state == State_Running && !filter->m_bEnded && GetTickCount() - filter->m_dwLastSample >= boundMs;
}
