// The caption labels in the real dialog, read back from the screen: they draw only their
// letters, line below line by the alignment rule, inside their own rectangle; every text
// given to them, by data exchange or directly, ends up on the screen and reads back.
#include <gtest/gtest.h>

#include <cstdlib>

#include "controls/LabelLayout.h"
#include "win/AppearanceChecks.h"

namespace {
using namespace appearance;

class CaptionLabelTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }
  static void Run(const std::function<void(CConverterDlg&, HWND)>& script) { RunMainDialog(script); }
};
}  // namespace

TEST_F(CaptionLabelTest, AttachmentTakesTheTemplateStyleAndText) {
  Run([](CConverterDlg& dlg, HWND) {
    EXPECT_STREQ(dlg.m_lblOutputFile.m_szText, "Output File");
    EXPECT_EQ(dlg.m_lblOutputFile.m_dwStyle & 3, static_cast<DWORD>(SS_LEFT));
    EXPECT_NE(dlg.m_lblOutputFile.m_dwStyle & WS_CHILD, 0u);
    EXPECT_EQ(dlg.m_lblOutputFile.m_nLineCount, 1);
    EXPECT_EQ(dlg.m_lblTitle.m_dwStyle & 3, static_cast<DWORD>(SS_LEFT));
    EXPECT_STREQ(dlg.m_lblTitle.m_szText, "");
  });
}

TEST_F(CaptionLabelTest, TitleChangeLeavesNoneOfTheOldLetters) {
  Run([](CConverterDlg& dlg, HWND h) {
    HWND title = GetDlgItem(h, IDC_TITLE);
    const RECT label = LabelRect(h, IDC_TITLE);
    const RECT whole = WholeLabel(label);

    EXPECT_TRUE(SetWindowTextA(title, "WWWWWWWWWWWWWWWW MMMMMMMMMM"));
    SettlePainting(h);
    const SIZE fresh = TextExtent(title, "il");
    const RECT beyondNew = {2 + fresh.cx + 1, 0, whole.right, whole.bottom};
    const LabelInk old = InkIn(CaptureClient(h), label, beyondNew);
    ASSERT_GT(old.count, 50) << "the long title should have letters where the short one has none";

    SetWindowTextA(title, "il");
    SettlePainting(h);
    const PixelImage screen = CaptureClient(h);
    EXPECT_EQ(InkIn(screen, label, beyondNew).count, 0) << "old letters are still on the screen";
    const LabelInk now = InkIn(screen, label, whole);
    EXPECT_GT(now.count, 0);
    EXPECT_EQ(now.nonTexture, 0) << "the label painted a background";
    EXPECT_GE(now.left, 2);
    EXPECT_STREQ(dlg.m_lblTitle.m_szText, "il");
    EXPECT_EQ(ItemText(h, IDC_TITLE), "il");
    if (now.count == 0 || now.nonTexture) KeepForLooking(screen, "title");
  });
}

TEST_F(CaptionLabelTest, NamesInAnyScriptAreDrawnAsTheirOwnLetters) {
  Run([](CConverterDlg&, HWND h) {
    HWND title = GetDlgItem(h, IDC_TITLE);
    const RECT label = LabelRect(h, IDC_TITLE);
    // Read in the font's Western character set, these bytes would be twice as many letters.
    const char* name = u8"Москва ночью";
    SetWindowTextA(title, name);
    SettlePainting(h);
    const SIZE extent = TextExtent(title, name);
    const LabelInk ink = InkIn(CaptureClient(h), label, WholeLabel(label));
    ASSERT_GT(ink.count, 0);
    EXPECT_GE(ink.right, 2 + extent.cx - 3);
    EXPECT_LT(ink.right, 2 + extent.cx);
  });
}

TEST_F(CaptionLabelTest, SettingTheSameTextAgainRepaintsTheLabel) {
  Run([](CConverterDlg&, HWND h) {
    HWND title = GetDlgItem(h, IDC_TITLE);
    const RECT label = LabelRect(h, IDC_TITLE);
    SetWindowTextA(title, "Same text");
    SettlePainting(h);
    Smear(h, label);
    PumpPending();
    ASSERT_GT(CountColour(CaptureClient(h), label, kMarker), 0);

    SetWindowTextA(title, "Same text");
    SettlePainting(h);
    const PixelImage screen = CaptureClient(h);
    EXPECT_EQ(CountColour(screen, label, kMarker), 0);
    const LabelInk ink = InkIn(screen, label, WholeLabel(label));
    EXPECT_GT(ink.count, 10);
    EXPECT_EQ(ink.nonTexture, 0);
  });
}

TEST_F(CaptionLabelTest, ExchangedTitleReachesTheLabelReadsBackAndEmptiesOnClose) {
  Run([](CConverterDlg& dlg, HWND h) {
    const RECT label = LabelRect(h, IDC_TITLE);
    const std::string line = "song.mp3   00:00:00 / 00:00:04";
    dlg.m_strTitle = line;
    dlg.UpdateData(FALSE);
    SettlePainting(h);
    EXPECT_EQ(std::string(dlg.m_lblTitle.m_szText), line);
    EXPECT_EQ(ItemText(h, IDC_TITLE), line);
    EXPECT_GT(InkIn(CaptureClient(h), label, WholeLabel(label)).count, 50);

    // The save direction reads the label's own copy back.
    dlg.m_strTitle = "something else";
    dlg.UpdateData(TRUE);
    EXPECT_EQ(dlg.m_strTitle, line);

    // Closing the media exchanges an empty title: the line must disappear from the screen.
    SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_CLOSE_MEDIA, BN_CLICKED), 0);
    SettlePainting(h);
    EXPECT_STREQ(dlg.m_lblTitle.m_szText, "");
    EXPECT_EQ(dlg.m_lblTitle.m_nLineCount, 1);
    EXPECT_EQ(ItemText(h, IDC_TITLE), "");
    const LabelInk after = InkIn(CaptureClient(h), label, WholeLabel(label));
    EXPECT_EQ(after.count, 0);
    EXPECT_EQ(after.nonTexture, 0);
  });
}

TEST_F(CaptionLabelTest, LinesAreLaidOutOneBelowTheOtherByTheAlignment) {
  Run([](CConverterDlg& dlg, HWND h) {
    HWND title = GetDlgItem(h, IDC_TITLE);
    // Capitals are the tallest letters of every line (no ascenders, no descenders), so
    // the letters' tops are exactly one line pitch apart.
    const char* lines[] = {"WWW some more WWW", "mWm", "xWx"};
    SIZE sizes[3];
    for (int i = 0; i < 3; ++i) sizes[i] = TextExtent(title, lines[i]);
    RECT label = LabelRect(h, IDC_TITLE);
    ShowWindow(GetDlgItem(h, IDC_SLIDER), SW_HIDE);  // the taller label reaches down to it
    const int height = 3 * (sizes[0].cy + 1) + sizes[0].cy;  // room for a fourth, empty band
    MoveWindow(title, label.left, label.top, label.right - label.left, height, TRUE);
    label = LabelRect(h, IDC_TITLE);
    const int width = label.right - label.left;

    for (DWORD style : {0ul, 1ul, 2ul}) {
      SCOPED_TRACE("alignment " + std::to_string(style));
      dlg.m_lblTitle.m_dwStyle = (dlg.m_lblTitle.m_dwStyle & ~3ul) | style;
      SetWindowTextA(title, "WWW some more WWW\nmWm\nxWx");
      EXPECT_EQ(dlg.m_lblTitle.m_nLineCount, 3);
      SettlePainting(h);
      const PixelImage screen = CaptureClient(h);
      int top = 0, firstInkTop = -1;
      for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(lines[i]);
        const int cx = sizes[i].cx;
        const LabelInk ink = InkIn(screen, label, {0, top, width, top + sizes[i].cy});
        ASSERT_GT(ink.count, 0);
        // The letters span the line's width (less the pixels a letter's box leaves blank)...
        EXPECT_LE(ink.right - ink.left, cx - 1);
        EXPECT_GE(ink.right - ink.left, cx - 5);
        // ...2 pixels in from the left edge, centred, or 2 pixels in from the right edge,
        // a letter's blank pixels aside.
        const int leftMargin = ink.left, rightMargin = width - 1 - ink.right;
        if (style == 0) {
          EXPECT_GE(leftMargin, 2);
          EXPECT_LE(leftMargin, 4);
        } else if (style == 1) {
          EXPECT_LE(std::abs(leftMargin - rightMargin), 4);
        } else {
          EXPECT_GE(rightMargin, 2);
          EXPECT_LE(rightMargin, 4);
        }
        EXPECT_EQ(ink.nonTexture, 0);
        if (i == 0) firstInkTop = ink.top;
        EXPECT_EQ(ink.top - firstInkTop, top) << "line " << i << " must start cy + 1 below the line above";
        top += sizes[i].cy + 1;
      }
      EXPECT_EQ(InkIn(screen, label, {0, top, width, height}).count, 0) << "nothing below the last line";
    }
  });
}

TEST_F(CaptionLabelTest, OverlongTextsAreCutAndNothingSpills) {
  Run([](CConverterDlg& dlg, HWND h) {
    HWND title = GetDlgItem(h, IDC_TITLE);
    std::string text = std::string(400, 'W') + "\n";
    while (text.size() < 1500) text += "line\n";
    EXPECT_TRUE(SetWindowTextA(title, text.c_str()));
    SettlePainting(h);  // a 400-character line is drawn cut to 255
    EXPECT_EQ(std::strlen(dlg.m_lblTitle.m_szText), 1023u);
    EXPECT_EQ(std::string(dlg.m_lblTitle.m_szText), text.substr(0, 1023));
    // 1023 bytes: the 401 of the first line, 124 lines "line\n" and "li": 126 lines.
    EXPECT_EQ(dlg.m_lblTitle.m_nLineCount, 126);
    EXPECT_EQ(GetWindowTextLengthA(title), 1023);
    EXPECT_STREQ(dlg.m_lblOutputFile.m_szText, "Output File");

    char small[8];
    std::memset(small, '#', sizeof(small));
    EXPECT_EQ(SendMessageA(title, WM_GETTEXT, 5, reinterpret_cast<LPARAM>(small)), 4);
    EXPECT_STREQ(small, "WWWW");
    EXPECT_EQ(small[5], '#');
    EXPECT_EQ(ItemText(h, IDC_TITLE), text.substr(0, 1023));
  });
}

TEST_F(CaptionLabelTest, TextIsClippedToTheLabelLeavingItsTopRowAndLeftColumn) {
  Run([](CConverterDlg& dlg, HWND h) {
    HWND title = GetDlgItem(h, IDC_TITLE);
    const RECT label = LabelRect(h, IDC_TITLE);
    const int width = label.right - label.left;
    const int height = label.bottom - label.top;
    // A centred line wider than the label starts left of it and ends right of it.
    dlg.m_lblTitle.m_dwStyle = (dlg.m_lblTitle.m_dwStyle & ~3ul) | SS_CENTER;
    SetWindowTextA(title, std::string(120, 'W').c_str());
    SettlePainting(h);
    const PixelImage screen = CaptureClient(h);

    EXPECT_EQ(InkIn(screen, label, {0, 0, 1, height}).count, 0) << "left column";
    EXPECT_EQ(InkIn(screen, label, {0, 0, width, 1}).count, 0) << "top row";
    EXPECT_GT(InkIn(screen, label, {1, 0, 6, height}).count, 0) << "the line is cut on the left";
    EXPECT_GT(InkIn(screen, label, {width - 6, 0, width, height}).count, 0) << "and on the right";
    // Nothing outside the label's own rectangle.
    const RECT around = {label.left - 8, label.top, label.left, label.bottom};
    const RECT beyond = {label.right, label.top, std::min<LONG>(label.right + 8, screen.width), label.bottom};
    EXPECT_EQ(InkIn(screen, around, {0, 0, 8, height}).count, 0);
    EXPECT_EQ(InkIn(screen, beyond, {0, 0, beyond.right - beyond.left, height}).count, 0);
  });
}
