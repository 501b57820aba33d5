#include "mainwnd/ConverterDlg.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "app/ConverterApp.h"
#include "app/PrivateMessages.h"
#include "app/Settings.h"
#include "controls/Background.h"
#include "help/AboutDlg.h"
#include "mainwnd/MediaText.h"
#include "preview/PreviewPlayer.h"

namespace {
constexpr char kEmptyClock[] = "00:00:00";
constexpr char kFallbackOutput[] = "c:\\output.wav";

// The controls that only make sense while media is open, in the order they are switched.
constexpr int kMediaControls[] = {IDC_CONVERT,    IDC_SLIDER,      IDC_PLAY,   IDC_PAUSE,
                                  IDC_STOP,       IDC_START_TIME,  IDC_END_TIME, IDC_OUTPUT_FILE,
                                  IDC_BROWSE,     IDC_START_CLOCK, IDC_END_CLOCK};

// The buttons of the user's commands.
constexpr int kCommandButtons[] = {IDC_CONVERT,    IDC_OPEN,     IDC_PLAY,   IDC_PAUSE,       IDC_STOP,
                                   IDC_START_TIME, IDC_END_TIME, IDC_BROWSE, IDC_HELP_BUTTON, IDC_HOMEPAGE,
                                   IDC_ABOUT};

// Whether the message is one of the user's commands: a button above, the slider let go,
// a file dropped, or About from the system menu.
bool IsUserCommand(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      return HIWORD(wp) == BN_CLICKED &&
             std::find(std::begin(kCommandButtons), std::end(kCommandButtons), LOWORD(wp)) != std::end(kCommandButtons);
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      return hdr->idFrom == IDC_SLIDER && hdr->code == static_cast<UINT>(NM_RELEASEDCAPTURE);
    }
    case WM_DROPFILES:
      return true;
    case WM_SYSCOMMAND:
      return (wp & 0xFFF0) == IDM_ABOUTBOX;
    default:
      return false;
  }
}
}  // namespace

CConverterDlg::CConverterDlg(CWnd* parent)
    : CDialog(IDD_CONVERTER_DIALOG, parent),
      m_hIcon(LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_hInstance(AfxGetInstanceHandle()) {}

CConverterDlg::~CConverterDlg() = default;

void CConverterDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_TITLE, m_lblTitle);
  DDX_Control(dx, IDC_OUTPUT_LABEL, m_lblOutputFile);
  DDX_Control(dx, IDC_PROGRESS, m_ctlProgress);
  DDX_Control(dx, IDC_END_CLOCK, m_stcEndTime);
  DDX_Control(dx, IDC_START_CLOCK, m_stcStartTime);
  DDX_Control(dx, IDC_SLIDER, m_ctlSlider);
  DDX_Text(dx, IDC_TITLE, m_strTitle);
  DDX_Text(dx, IDC_OUTPUT_FILE, m_strOutputFile);
}

bool CConverterDlg::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  // Once the session's end has begun, the user's commands do nothing: nothing new starts.
  if (!SessionOpen() && IsUserCommand(msg, wp, lp)) {
    if (msg == WM_DROPFILES) DragFinish(reinterpret_cast<HDROP>(wp));
    result = 0;
    return true;
  }
  using D = CConverterDlg;
  static const MessageMap<D> map = {
      OnMessage(WM_SYSCOMMAND, &D::OnSysCommand),
      OnMessage(WM_PAINT, &D::OnPaint),
      OnMessage(WM_QUERYDRAGICON, &D::OnQueryDragIcon),
      OnCommand(IDC_CONVERT, BN_CLICKED, &D::OnConvert),
      OnCommand(IDC_OPEN, BN_CLICKED, &D::OnOpenFile),
      OnMessage(WM_DROPFILES, &D::OnDropFiles),
      OnMessage(WM_OPENSTARTFILE, &D::OnOpenStartFile),
      OnMessage(WM_CLOSE, &D::OnClose),
      OnMessage(WM_DESTROY, &D::OnDestroy),
      OnMessage(WM_QUERYENDSESSION, &D::OnQueryEndSession),
      OnMessage(WM_ENDSESSION, &D::OnEndSession),
      OnMessage(WM_MEDIAENDNOTIFY, &D::OnMediaEndNotify),
      OnNotify(IDC_SLIDER, NM_RELEASEDCAPTURE, &D::OnSliderReleased),
      OnCommand(IDC_PLAY, BN_CLICKED, &D::OnPlay),
      OnCommand(IDC_PAUSE, BN_CLICKED, &D::OnPause),
      OnCommand(IDC_STOP, BN_CLICKED, &D::OnStop),
      OnCommand(IDC_START_TIME, BN_CLICKED, &D::OnStartTime),
      OnCommand(IDC_END_TIME, BN_CLICKED, &D::OnEndTime),
      OnCommand(IDC_CLOSE_MEDIA, BN_CLICKED, &D::OnCloseMedia),
      OnCommand(IDC_BROWSE, BN_CLICKED, &D::OnBrowse),
      OnCommand(IDC_HELP_BUTTON, BN_CLICKED, &D::OnHelpButton),
      OnCommand(IDC_HOMEPAGE, BN_CLICKED, &D::OnHomepageButton),
      OnCommand(IDC_ABOUT, BN_CLICKED, &D::OnAboutButton),
  };
  return map.Dispatch(*this, msg, wp, lp, result) || CDialog::OnWndMsg(msg, wp, lp, result);
}

LRESULT CConverterDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_POSITIONNOTIFY) UpdatePositionDisplay();
  return CDialog::WindowProc(msg, wp, lp);
}

LRESULT CConverterDlg::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) {
    const HDC dc = reinterpret_cast<HDC>(wp);
    if (WindowFromDC(dc) != m_hWnd) {
      // A themed control asks for the parent's background under itself: give it the
      // texture, and leave its DC's clipping alone so that it can still draw itself.
      if (TileDialogBackground(m_hWnd, dc)) return TRUE;
      return CDialog::DefWindowProc(msg, wp, lp);  // no texture: the plain face
    }
    PaintDialogBackground(m_hWnd, dc);
  }
  return CDialog::DefWindowProc(msg, wp, lp);
}

BOOL CConverterDlg::OnInitDialog() {
  LoadBackgroundBitmap(m_hInstance);
  CDialog::OnInitDialog();

  if (HMENU sysMenu = GetSystemMenu(FALSE)) {
    char about[256] = {};
    if (LoadStringA(m_hInstance, IDS_ABOUTBOX, about, sizeof(about)) > 0 && about[0]) {
      AppendMenuA(sysMenu, MF_SEPARATOR, 0, nullptr);
      AppendMenuA(sysMenu, MF_STRING, IDM_ABOUTBOX, about);
    }
  }
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  m_bComInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));  // balanced by EndSession

  m_osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  if (!GetVersionExA(&m_osvi)) MessageBox("Can get Windows Version", "Error", MB_OK);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

  SetDlgItemText(IDC_START_CLOCK, kEmptyClock);
  SetDlgItemText(IDC_END_CLOCK, kEmptyClock);
  m_ctlSlider.SetRange(0, kSliderMax, FALSE);
  m_ctlSlider.SetPos(0);
  ::ShowWindow(GetDlgItem(IDC_CLOSE_MEDIA), SW_HIDE);
  ::ShowWindow(GetDlgItem(IDCANCEL), SW_HIDE);
  EnableMediaControls(FALSE);

  m_strOutputFile =
      GetDefaultOutputPath(settings::kOptionSection, settings::kOutputFileKey, kFallbackOutput, CSIDL_MYMUSIC);
  SetDlgItemText(IDC_OUTPUT_FILE, m_strOutputFile.c_str());

  m_ctlProgress.SetRange(0, 1000);
  m_ctlProgress.SetPos(0);
  m_ctlProgress.SetStep(1);
  DragAcceptFiles(m_hWnd, TRUE);  // a file dropped on the window opens it
  if (!m_strStartFile.empty()) PostMessage(WM_OPENSTARTFILE);
  return TRUE;
}

void CConverterDlg::OnCloseMedia() {
  ClosePreview();
  m_strTitle.clear();
  m_rtStart = m_rtEnd = 0;
  m_szMediaPath[0] = '\0';
  SetDlgItemText(IDC_START_CLOCK, kEmptyClock);
  SetDlgItemText(IDC_END_CLOCK, kEmptyClock);
  EnableMediaControls(FALSE);
  UpdateData(FALSE);
}

BOOL CConverterDlg::ClosePreview() {
  if (g_pPlayer) {
    if (g_pPlayer->m_nState != StateNoMedia) g_pPlayer->Close();
    DeletePlayer(g_pPlayer);  // waits for the player's window procedure, should one run
    g_pPlayer = nullptr;
  }
  m_nSliderPos = 0;
  m_ctlSlider.SetPos(0);
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  return TRUE;
}

void CConverterDlg::EnableMediaControls(BOOL enable) {
  for (int id : kMediaControls) ::EnableWindow(GetDlgItem(id), enable);
}

LRESULT CConverterDlg::OnPaint(WPARAM, LPARAM) {
  if (!IsIconic()) return Default();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hWnd, &ps);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT rc;
  GetClientRect(&rc);
  const int x = (rc.right - rc.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (rc.bottom - rc.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, m_hIcon);
  EndPaint(m_hWnd, &ps);
  return 0;
}

LRESULT CConverterDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }

LRESULT CConverterDlg::OnSysCommand(WPARAM wp, LPARAM) {
  if ((wp & 0xFFF0) != IDM_ABOUTBOX) return Default();
  OnAboutButton();
  return 0;
}

void CConverterDlg::OnAboutButton() {
  CAboutDlg about;
  about.DoModal();
}

void CConverterDlg::OnPlay() {
  if (g_pPlayer) g_pPlayer->Play();
}

void CConverterDlg::OnPause() {
  if (g_pPlayer) g_pPlayer->Pause();
}

void CConverterDlg::OnStop() {
  if (g_pPlayer) g_pPlayer->Stop();
}
