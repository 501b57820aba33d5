// A static text that draws only its letters, so the dialog's texture shows around them.
// It keeps its own copy of its text, shows one line per "\n" and aligns each line by
// the alignment bits of its window style.
#pragma once

#include "winfw/Controls.h"
#include "winfw/MessageMap.h"

class CCaptionLabel : public CStatic {
 public:
  CCaptionLabel() = default;
  ~CCaptionLabel() override;

  DWORD m_dwStyle = 0;        // alignment in the two lowest bits: 0 left, 1 centred, 2 right
  char m_szText[1024] = {};   // the label's own copy of its text; lines separated by "\n"
  int m_nLineCount = 1;       // 1 plus the number of "\n" in m_szText

 protected:
  void PreSubclassWindow() override;
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  LRESULT OnSetText(WPARAM wp, LPARAM lp);
  LRESULT OnGetText(WPARAM wp, LPARAM lp);
  LRESULT OnGetTextLength(WPARAM wp, LPARAM lp);
  LRESULT OnPaint(WPARAM wp, LPARAM lp);

 private:
  // Has the parent repaint its texture under the label, which then repaints itself.
  void InvalidateParentUnderLabel() const;
};
