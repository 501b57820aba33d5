#include "controls/PositionSlider.h"

#include "app/ConverterApp.h"

bool CPositionSlider::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  using S = CPositionSlider;
  static const MessageMap<S> map = {
      OnMessage(WM_LBUTTONDOWN, &S::OnLButtonDown),
      OnMessage(WM_LBUTTONUP, &S::OnLButtonUp),
      OnMessage(WM_CAPTURECHANGED, &S::OnCaptureChanged),
  };
  return map.Dispatch(*this, msg, wp, lp, result) || CSliderCtrl::OnWndMsg(msg, wp, lp, result);
}

LRESULT CPositionSlider::OnLButtonDown(WPARAM, LPARAM) {
  // Raised before the trackbar moves its thumb, so no update lands in between.
  theApp.m_bSliderDragging = 1;
  const LRESULT result = Default();
  Invalidate(TRUE);
  return result;
}

LRESULT CPositionSlider::OnLButtonUp(WPARAM, LPARAM) {
  // Lowered before the trackbar reports the release, so the seek that answers it and
  // the updates after it are shown.
  theApp.m_bSliderDragging = 0;
  const LRESULT result = Default();
  Invalidate(TRUE);
  return result;
}

LRESULT CPositionSlider::OnCaptureChanged(WPARAM, LPARAM lp) {
  // Another window took the mouse during a drag: no button-up will come to us, and the
  // position display must not stay frozen.
  if (reinterpret_cast<HWND>(lp) != m_hWnd) theApp.m_bSliderDragging = 0;
  return Default();
}
