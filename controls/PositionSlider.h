// The position slider: a trackbar that tells the application while its thumb is held.
#pragma once

#include "winfw/Controls.h"

class CPositionSlider : public CSliderCtrl {};
