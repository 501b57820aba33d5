// The position slider: a trackbar that tells the application while its thumb is held,
// so that the periodic position update does not pull the thumb from under the mouse.
#pragma once

#include "winfw/Controls.h"
#include "winfw/MessageMap.h"

class CPositionSlider : public CSliderCtrl {
 public:
  CPositionSlider() = default;
  ~CPositionSlider() override = default;

 protected:
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  LRESULT OnLButtonDown(WPARAM wp, LPARAM lp);
  LRESULT OnLButtonUp(WPARAM wp, LPARAM lp);
  LRESULT OnCaptureChanged(WPARAM wp, LPARAM lp);
};
