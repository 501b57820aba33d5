// The Windows layer itself. The owners that make "released on every exit path" hold:
// copies, moves and resets must neither leak nor release twice. The window machinery:
// message-map dispatch and chaining, the default procedure, the exception guard,
// detaching from windows, data exchange, and the framework's message box.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "res/resource.h"
#include "support/WinTestSupport.h"
#include "winfw/ComInit.h"
#include "winfw/ComPtr.h"
#include "winfw/Controls.h"
#include "winfw/Dialog.h"
#include "winfw/UniqueHandle.h"
#include "winfw/WinApp.h"

namespace {
// Answers IUnknown and IPersist, and remembers the last interface it was asked for.
class Counted : public IPersist {
 public:
  ULONG refs = 1;  // the creator's reference
  ULONG lowest = 1;
  IID lastAsked = IID_NULL;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    lastAsked = iid;
    if (iid == IID_IUnknown || iid == IID_IPersist) {
      *out = static_cast<IPersist*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    if (--refs < lowest) lowest = refs;
    return refs;
  }
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
    *clsid = CLSID_NULL;
    return S_OK;
  }
};

bool IsOpenHandle(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != FALSE;
}
}  // namespace

TEST(ComPtr, CopiesMovesAndResetsKeepTheCountRight) {
  Counted object;
  {
    ComPtr<IUnknown> a(&object);  // takes a reference of its own
    EXPECT_EQ(object.refs, 2u);
    ComPtr<IUnknown> b = a;
    EXPECT_EQ(object.refs, 3u);
    ComPtr<IUnknown> c = std::move(b);
    EXPECT_EQ(object.refs, 3u);
    EXPECT_FALSE(b);
    c = a;  // assigning the same object: no net change
    EXPECT_EQ(object.refs, 3u);
    c = c;
    EXPECT_EQ(object.refs, 3u);
    c.Reset();
    c.Reset();  // a second reset releases nothing
    EXPECT_EQ(object.refs, 2u);
  }
  EXPECT_EQ(object.refs, 1u);
}

TEST(ComPtr, AttachAdoptsAndDetachHandsOver) {
  Counted object;
  object.AddRef();  // a reference the caller already owns
  ComPtr<IUnknown> p;
  p.Attach(&object);
  EXPECT_EQ(object.refs, 2u);
  IUnknown* raw = p.Detach();
  EXPECT_EQ(raw, &object);
  EXPECT_FALSE(p);
  EXPECT_EQ(object.refs, 2u);
  raw->Release();
  EXPECT_EQ(object.refs, 1u);
}

TEST(ComPtr, QueriesAskForTheInterfaceOfTheirType) {
  Counted object;
  ComPtr<IUnknown> p(&object);
  ComPtr<IPersist> persist;
  EXPECT_EQ(p.As(persist), S_OK);
  EXPECT_EQ(object.lastAsked, IID_IPersist);
  EXPECT_EQ(persist.Get(), static_cast<IPersist*>(&object));
  EXPECT_EQ(object.refs, 3u);
  ComPtr<IStream> stream;
  EXPECT_EQ(stream.QueryFrom(p.Get()), E_NOINTERFACE);
  EXPECT_EQ(object.lastAsked, IID_IStream);
  EXPECT_FALSE(stream);
  p.Reset();
  object.Release();  // the creator lets go: persist alone keeps the object alive
  EXPECT_EQ(persist.QueryFrom(persist.Get()), S_OK);
  EXPECT_EQ(object.refs, 1u);
  EXPECT_EQ(object.lowest, 1u);  // not released to nothing on the way
  EXPECT_EQ(persist.QueryFrom(nullptr), E_POINTER);  // and drops what it held
  EXPECT_FALSE(persist);
  EXPECT_EQ(object.refs, 0u);
}

TEST(UniqueHandle, ClosesOnceAndMovesOwnership) {
  HANDLE raw = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ASSERT_TRUE(raw);
  {
    UniqueKernelHandle a(raw);
    UniqueKernelHandle b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.Get(), raw);
    UniqueKernelHandle c;
    c = std::move(b);
    EXPECT_TRUE(IsOpenHandle(raw));
  }
  EXPECT_FALSE(IsOpenHandle(raw));

  HANDLE kept = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  UniqueKernelHandle d(kept);
  d.Reset(kept);  // the handle it holds: kept open and still held
  EXPECT_TRUE(IsOpenHandle(kept));
  EXPECT_EQ(d.Get(), kept);
  HANDLE released = d.Release();
  d.Reset();
  EXPECT_TRUE(IsOpenHandle(released));
  CloseHandle(released);
}

TEST(ComInit, UninitialisesOnlyWhatItInitialised) {
  ComInit outer;
  EXPECT_TRUE(SUCCEEDED(outer.Result()));
  {
    ComInit wrongModel(COINIT_MULTITHREADED);  // refused on an apartment thread: RPC_E_CHANGED_MODE
    EXPECT_EQ(wrongModel.Result(), RPC_E_CHANGED_MODE);
  }
  // Still initialised: a COM call that needs it works.
  ComPtr<IUnknown> unknown;
  EXPECT_NE(CoCreateInstance(CLSID_NULL, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, unknown.OutVoid()),
            CO_E_NOTINITIALIZED);
}

namespace {
const UINT kAsk = WM_APP + 1;    // answered from the table: wp + 1
const UINT kThrow = WM_APP + 2;  // its handler throws

// A dialog on the main window's template with a table of its own in front of CDialog's.
class CProbeDlg : public CDialog {
 public:
  CProbeDlg() : CDialog(IDD_CONVERTER_DIALOG) {}

  int m_nPlayClicks = 0;
  int m_nOkClicks = 0;
  std::string m_strCaptionSeen;
  std::string m_strOutput;
  std::string m_strTitle;
  CStatic m_stcTitle;

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, IDC_TITLE, m_stcTitle);
    DDX_Text(dx, IDC_OUTPUT_FILE, m_strOutput);
    DDX_Text(dx, IDC_TITLE, m_strTitle);
  }
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    static const MessageMap<CProbeDlg> map = {
        OnMessage(kAsk, &CProbeDlg::OnAsk),
        OnMessage(kThrow, &CProbeDlg::OnThrow),
        OnMessage(WM_SETTEXT, &CProbeDlg::OnSetText),
        OnCommand(IDC_PLAY, BN_CLICKED, &CProbeDlg::OnPlay),
        OnCommand(IDOK, BN_CLICKED, &CProbeDlg::OnOkPressed),
        OnNotify(IDC_SLIDER, NM_RELEASEDCAPTURE, &CProbeDlg::OnSliderReleased),
    };
    return map.Dispatch(*this, msg, wp, lp, result) || CDialog::OnWndMsg(msg, wp, lp, result);
  }

 private:
  LRESULT OnAsk(WPARAM wp, LPARAM) { return static_cast<LRESULT>(wp + 1); }
  LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("a handler failed"); }
  LRESULT OnSetText(WPARAM, LPARAM lp) {
    m_strCaptionSeen = reinterpret_cast<const char*>(lp);
    return Default();  // the window's own procedure still sets the caption
  }
  void OnPlay() { ++m_nPlayClicks; }
  void OnOkPressed() { ++m_nOkClicks; }  // takes IDOK over from CDialog: does not end
  void OnSliderReleased(NMHDR*, LRESULT* result) { *result = 7; }
};

class LayerTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }
};

LRESULT SendNotify(HWND dialog, int id, UINT code) {
  NMHDR hdr{GetDlgItem(dialog, id), static_cast<UINT_PTR>(id), code};
  return SendMessageA(dialog, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&hdr));
}
}  // namespace

TEST_F(LayerTest, MessageMapDispatchesItsEntriesAndChainsTheRestToTheBase) {
  CProbeDlg dlg;
  const INT_PTR result = RunAsMainWindow(dlg, [&](HWND h) {
    EXPECT_EQ(SendMessageA(h, kAsk, 41, 0), 42);
    Click(h, IDC_PLAY);
    SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_PLAY, BN_SETFOCUS), 0);  // another code: not its entry
    EXPECT_EQ(dlg.m_nPlayClicks, 1);
    EXPECT_EQ(SendNotify(h, IDC_SLIDER, NM_RELEASEDCAPTURE), 7);
    SendMessageA(h, WM_COMMAND, IDOK, 0);  // the derived entry wins over CDialog's
    EXPECT_EQ(dlg.m_nOkClicks, 1);
    EXPECT_TRUE(IsWindowVisible(h));
    SendMessageA(h, WM_COMMAND, IDCANCEL, 0);  // CDialog's own entry ends the dialog
  });
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(LayerTest, UnhandledMessagesAndDefaultReachTheWindowsOwnProcedure) {
  CProbeDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    SetWindowTextA(h, "Renamed");  // handled, then passed on by Default()
    EXPECT_EQ(dlg.m_strCaptionSeen, "Renamed");
    EXPECT_EQ(dlg.GetWindowText(), "Renamed");
    EXPECT_EQ(SendMessageA(h, WM_GETTEXTLENGTH, 0, 0), 7);  // in no table: the window's own answer
  });
}

TEST_F(LayerTest, AnExceptionInAHandlerStopsAtTheWindowProcedure) {
  CProbeDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    EXPECT_EQ(SendMessageA(h, kThrow, 0, 0), 0);  // the default procedure's answer
    EXPECT_EQ(SendMessageA(h, kAsk, 1, 0), 2);    // and the dialog goes on working
  });
}

TEST_F(LayerTest, WrappersDetachWhenTheWindowGoesAndWhenTheyGo) {
  CProbeDlg dlg;
  HWND title = nullptr;
  RunAsMainWindow(dlg, [&](HWND h) {
    title = GetDlgItem(h, IDC_TITLE);
    EXPECT_EQ(dlg.m_stcTitle.m_hWnd, title);
    EXPECT_TRUE(dlg.m_stcTitle.IsSubclassed());
  });
  // WM_NCDESTROY detached the dialog and its bound control.
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_FALSE(dlg.IsSubclassed());
  EXPECT_EQ(dlg.m_stcTitle.m_hWnd, nullptr);

  // A wrapper that goes first gives the window back its own procedure.
  HWND button = CreateWindowA("BUTTON", "Plain", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(button, nullptr);
  const LONG_PTR ownProc = GetWindowLongPtrA(button, GWLP_WNDPROC);
  {
    CWnd wrapper;
    ASSERT_TRUE(wrapper.SubclassWindow(button));
    EXPECT_NE(GetWindowLongPtrA(button, GWLP_WNDPROC), ownProc);
    CWnd second;
    EXPECT_FALSE(second.SubclassWindow(button));  // one wrapper per window
  }
  EXPECT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC), ownProc);
  SetWindowTextA(button, "Still works");
  CWnd again;
  EXPECT_TRUE(again.SubclassWindow(button));
  EXPECT_EQ(again.GetWindowText(), "Still works");
  DestroyWindow(button);
  EXPECT_EQ(again.m_hWnd, nullptr);
}

TEST_F(LayerTest, DataExchangeMovesTextsBothWaysWhole) {
  CProbeDlg dlg;
  const std::string longPath = "Z:\\" + std::string(1500, 'p') + ".wav";
  RunAsMainWindow(dlg, [&](HWND h) {
    dlg.m_strOutput = longPath;
    dlg.m_strTitle = "Title line";
    dlg.UpdateData(FALSE);
    EXPECT_EQ(ItemText(h, IDC_TITLE), "Title line");
    char shown[2048] = {};
    GetDlgItemTextA(h, IDC_OUTPUT_FILE, shown, sizeof(shown));
    EXPECT_EQ(shown, longPath);

    SetDlgItemTextA(h, IDC_OUTPUT_FILE, "Z:\\typed.wav");
    SetDlgItemTextA(h, IDC_TITLE, "");
    dlg.UpdateData(TRUE);
    EXPECT_EQ(dlg.m_strOutput, "Z:\\typed.wav");
    EXPECT_EQ(dlg.m_strTitle, "");
  });
}

TEST_F(LayerTest, AfxMessageBoxWarnsOrAsksWhenTheCallerNamesNoIcon) {
  const struct {
    UINT type;
    int button;
    LPCSTR icon;
  } cases[] = {
      {MB_OK, IDOK, IDI_EXCLAMATION},
      {MB_OKCANCEL, IDCANCEL, IDI_EXCLAMATION},
      {MB_YESNO, IDNO, IDI_QUESTION},
      {MB_YESNOCANCEL, IDNO, IDI_QUESTION},
      {MB_OK | MB_ICONINFORMATION, IDOK, IDI_ASTERISK},  // a named icon stays
  };
  for (const auto& c : cases) {
    ModalAnswerer answerer;
    LRESULT shown = 0;
    answerer.PressOnNextBox(c.button, [&] {  // the box's icon: static 0x440
      HWND box = FindWindowA("#32770", AfxGetApp()->m_strAppName.c_str());
      shown = SendDlgItemMessageA(box, 0x440, STM_GETICON, 0, 0);
    });
    EXPECT_EQ(AfxMessageBox("Something to say", c.type), c.button);
    EXPECT_EQ(shown, reinterpret_cast<LRESULT>(LoadIconA(nullptr, c.icon))) << "type " << c.type;
  }
}
