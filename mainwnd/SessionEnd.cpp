// How the main window ends: a close, Esc or Enter, its destruction, or the end of the
// Windows session. Each ends what the window started (the job, the preview, COM) once.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include "app/ConverterApp.h"
#include "app/Settings.h"
#include "help/WebLinks.h"
#include "mainwnd/ConverterDlg.h"

LRESULT CConverterDlg::OnClose(WPARAM, LPARAM) {
  if (m_nSession != Session::Open) return 0;  // already on its way out
  m_bCloseStoresPath = true;
  EndSession();
  StoreOutputPath();
  PromptUpdateCheck(kProductPageUrl);
  return Default();  // issues Cancel, which ends the dialog
}

// Esc and Enter (and the hidden Exit button) store nothing and ask nothing.
void CConverterDlg::OnOK() {
  if (m_nSession == Session::Ending) return;  // a close waits for the job
  EndSession();
  CDialog::OnOK();
}

void CConverterDlg::OnCancel() {
  if (m_nSession == Session::Ending) return;
  EndSession();
  CDialog::OnCancel();
}

// For a dialog ended any other way, the session ends with its window.
LRESULT CConverterDlg::OnDestroy(WPARAM, LPARAM) {
  EndSession();
  return Default();
}

// The system asks whether the session may end: yes, at once. Nothing changes yet, since
// the end may still be called off; the work waits for WM_ENDSESSION.
LRESULT CConverterDlg::OnQueryEndSession(WPARAM, LPARAM) { return TRUE; }

// The session ends (wp true): everything a close does, but no question, since no one is
// there to answer it. The system ends the process at any moment once this returns (Wine
// terminates it, which a process that has used the media services does not survive
// cleanly), so the process ends here, as it ends itself after a close. An end already
// under way (a close, Esc or Enter waiting for the job) is finished here the way it began.
LRESULT CConverterDlg::OnEndSession(WPARAM wp, LPARAM) {
  if (!wp) return 0;  // called off: everything stays as it was
  m_bUnattended = true;
  const bool storePath = SessionOpen() || m_bCloseStoresPath;
  EndSession();
  if (storePath) StoreOutputPath();
  CConverterApp::EndProcess(*this);
}

void CConverterDlg::StoreOutputPath() {
  theApp.WriteProfileString(settings::kOptionSection, settings::kOutputFileKey, m_strOutputFile.c_str());
}

void CConverterDlg::EndSession() {
  if (m_nSession == Session::Ended) return;
  m_nSession = Session::Ending;
  EnableMediaControls(FALSE);
  DragAcceptFiles(m_hWnd, FALSE);
  // A call may come while an earlier one waits here (the system ending the session
  // during a close): the later call does every step, and each is done once.
  StopConversionAndWait();
  // The preview's graph and COM must be gone before the process ends: the platform's
  // media threads fault when a process exits under a live graph.
  ClosePreview();
  if (m_bComInitialized) CoUninitialize();
  m_bComInitialized = false;
  m_nSession = Session::Ended;
}
