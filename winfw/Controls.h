// Thin wrappers of the standard controls: one method per control message used.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "winfw/Wnd.h"

class CStatic : public CWnd {};

class CSliderCtrl : public CWnd {
 public:
  void SetRange(int minimum, int maximum, BOOL redraw = FALSE) const {
    SendMessage(TBM_SETRANGEMIN, FALSE, minimum);
    SendMessage(TBM_SETRANGEMAX, redraw, maximum);
  }
  void SetPos(int pos) const { SendMessage(TBM_SETPOS, TRUE, pos); }
  int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
  int GetRangeMin() const { return static_cast<int>(SendMessage(TBM_GETRANGEMIN)); }
  int GetRangeMax() const { return static_cast<int>(SendMessage(TBM_GETRANGEMAX)); }
};

class CProgressCtrl : public CWnd {
 public:
  void SetRange(short lower, short upper) const { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
  int SetPos(int pos) const { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
  int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
  int SetStep(int step) const { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
  // The length in pixels that the bar fills at its maximum: its content area, inside the
  // frame it draws itself. Needs no message, so any thread may ask.
  int GetBarPixels() const;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
};
