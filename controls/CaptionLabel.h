// A static text that draws only its letters, so the dialog's texture shows around them.
#pragma once

#include "winfw/Controls.h"

class CCaptionLabel : public CStatic {
 public:
  CCaptionLabel() = default;

  DWORD m_dwStyle = 0;     // alignment in the two lowest bits: 0 left, 1 centred, 2 right
  char m_szText[1024];     // the label's own copy of its text; lines separated by "\n"
  int m_nLineCount = 1;
};
