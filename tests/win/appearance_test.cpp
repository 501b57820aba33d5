// The main window's look, read back from the screen: the texture covers the client area
// outside the controls and stays anchored at (0, 0), push buttons show over it, and the
// caption labels draw only their letters, line below line, replacing old letters fully.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/ConverterApp.h"
#include "controls/Background.h"
#include "controls/LabelLayout.h"
#include "mainwnd/ConverterDlg.h"
#include "support/PixelCapture.h"
#include "support/WinTestSupport.h"
#include "winfw/Bitmap.h"

namespace {
const COLORREF kMarker = RGB(255, 0, 255);

class AppearanceTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }

  // Runs the real dialog and hands the script the dialog once everything is painted.
  static void Run(const std::function<void(CConverterDlg&, HWND)>& script) {
    CConverterDlg dlg;
    theApp.m_pMainWnd = &dlg;
    RunModal(dlg, [&](HWND h) {
      SettlePainting(h);
      script(dlg, h);
    });
    theApp.m_pMainWnd = nullptr;
  }
};

PixelImage Texture() {
  return g_pBackgroundBitmap ? BitmapPixels(g_pBackgroundBitmap->GetSafeHandle()) : PixelImage{};
}
COLORREF TextureAt(const PixelImage& texture, int x, int y) { return texture.At(x % texture.width, y % texture.height); }

int Brightness(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }
// A letter's pixel: clearly darker than the texture under it.
bool IsInk(COLORREF pixel, COLORREF texture) { return Brightness(pixel) + 90 < Brightness(texture); }

bool Inside(const RECT& rc, int x, int y) { return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom; }

std::vector<RECT> VisibleControls(HWND dialog, std::vector<int> except = {}) {
  std::vector<RECT> rects;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    bool skip = false;
    for (int id : except) skip = skip || GetDlgCtrlID(child) == id;
    if (!skip) rects.push_back(ChildRect(dialog, child));
  }
  return rects;
}

bool InsideAny(const std::vector<RECT>& rects, int x, int y) {
  for (const RECT& rc : rects)
    if (Inside(rc, x, y)) return true;
  return false;
}

void KeepForLooking(const PixelImage& image, const char* name) {
  SaveBmp(image, (TempFolder("appearance") + "\\" + name + ".bmp").c_str());
}

struct LabelInk {
  int count = 0;
  int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;  // bounding box, label coordinates
  int nonTexture = 0;  // pixels that are neither texture nor letters
};

// The letters inside a part of a label (label coordinates), judged against the texture.
LabelInk InkIn(const PixelImage& screen, const RECT& label, const RECT& part) {
  const PixelImage texture = Texture();
  LabelInk ink;
  for (int y = part.top; y < part.bottom; ++y)
    for (int x = part.left; x < part.right; ++x) {
      const int sx = label.left + x, sy = label.top + y;
      if (!screen.Contains(sx, sy)) continue;
      const COLORREF pixel = screen.At(sx, sy);
      const COLORREF under = TextureAt(texture, sx, sy);
      if (IsInk(pixel, under)) {
        ++ink.count;
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
      } else if (pixel != under && Brightness(pixel) >= Brightness(under)) {
        ++ink.nonTexture;  // a lighter pixel: a box or face colour behind the text
      }
    }
  return ink;
}

RECT LabelRect(HWND dialog, int id) { return ChildRect(dialog, GetDlgItem(dialog, id)); }
RECT WholeLabel(const RECT& label) { return {0, 0, label.right - label.left, label.bottom - label.top}; }

SIZE TextExtent(HWND label, const char* text) {
  HDC dc = GetDC(label);
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0));
  const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  SIZE size = {};
  GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  return size;
}

void Smear(HWND dialog, const RECT& rc) {
  HDC dc = GetDC(dialog);
  HBRUSH brush = CreateSolidBrush(kMarker);
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
  ReleaseDC(dialog, dc);
}

int CountColour(const PixelImage& screen, const RECT& rc, COLORREF colour) {
  int n = 0;
  for (int y = rc.top; y < rc.bottom; ++y)
    for (int x = rc.left; x < rc.right; ++x)
      if (screen.Contains(x, y) && screen.At(x, y) == colour) ++n;
  return n;
}
}  // namespace

TEST_F(AppearanceTest, TextureCoversTheClientAreaOutsideTheControls) {
  Run([](CConverterDlg&, HWND h) {
    const PixelImage texture = Texture();
    ASSERT_EQ(texture.width, 14);
    ASSERT_EQ(texture.height, 58);
    const PixelImage screen = CaptureClient(h);
    ASSERT_GT(screen.width, 300);
    KeepForLooking(screen, "initial");

    // The caption labels are transparent: their areas count as outside the controls.
    const std::vector<RECT> controls = VisibleControls(h, {IDC_TITLE, IDC_OUTPUT_LABEL});
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const RECT outputLabel = LabelRect(h, IDC_OUTPUT_LABEL);
    int checked = 0, faceColoured = 0, offPattern = 0;
    for (int y = 0; y < screen.height; ++y)
      for (int x = 0; x < screen.width; ++x) {
        if (InsideAny(controls, x, y) || Inside(outputLabel, x, y)) continue;
        ++checked;
        if (screen.At(x, y) == face) ++faceColoured;
        if (screen.At(x, y) != TextureAt(texture, x, y)) ++offPattern;
      }
    EXPECT_GT(checked, screen.width * screen.height / 2);
    EXPECT_EQ(faceColoured, 0);
    EXPECT_EQ(offPattern, 0) << "pixels outside the controls that are not the texture anchored at (0, 0)";

    // "Output File" is letters on the texture, with no box behind them.
    const LabelInk ink = InkIn(screen, outputLabel, WholeLabel(outputLabel));
    EXPECT_GT(ink.count, 20);
    EXPECT_EQ(ink.nonTexture, 0);
    EXPECT_EQ(CountColour(screen, outputLabel, face), 0);
  });
}

TEST_F(AppearanceTest, TextureStaysAnchoredAtTheCornerAfterAPartialRepaint) {
  Run([](CConverterDlg&, HWND h) {
    // A free strip between the Start Time row and the output row, at offsets that are not
    // multiples of the tile size.
    const RECT above = ChildRect(h, GetDlgItem(h, IDC_START_TIME));
    const RECT below = ChildRect(h, GetDlgItem(h, IDC_OUTPUT_FILE));
    const RECT part = {23, above.bottom + 3, 23 + 101, below.top - 2};
    ASSERT_GT(part.bottom - part.top, 5);
    ASSERT_EQ(InsideAny(VisibleControls(h), part.left, part.top), false);

    Smear(h, part);
    PumpFor(50);
    ASSERT_GT(CountColour(CaptureClient(h), part, kMarker), 0) << "the smear should be visible before the repaint";

    InvalidateRect(h, &part, TRUE);
    UpdateWindow(h);
    PumpFor(100);
    const PixelImage screen = CaptureClient(h);
    const PixelImage texture = Texture();
    int wrong = 0;
    for (int y = part.top; y < part.bottom; ++y)
      for (int x = part.left; x < part.right; ++x)
        if (screen.At(x, y) != TextureAt(texture, x, y)) ++wrong;
    EXPECT_EQ(wrong, 0);
    if (wrong) KeepForLooking(screen, "partial");
  });
}

TEST_F(AppearanceTest, PushButtonsShowOverTheTexture) {
  Run([](CConverterDlg&, HWND h) {
    const PixelImage screen = CaptureClient(h);
    const PixelImage texture = Texture();
    for (int id : {IDC_OPEN, IDC_CONVERT, IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_START_TIME, IDC_END_TIME, IDC_BROWSE,
                   IDC_HELP_BUTTON, IDC_HOMEPAGE, IDC_ABOUT}) {
      const RECT rc = ChildRect(h, GetDlgItem(h, id));
      int total = 0, differ = 0;
      for (int y = rc.top + 2; y < rc.bottom - 2; ++y)
        for (int x = rc.left + 2; x < rc.right - 2; ++x) {
          ++total;
          if (screen.At(x, y) != TextureAt(texture, x, y)) ++differ;
        }
      ASSERT_GT(total, 0) << id;
      EXPECT_GT(differ * 10, total * 8) << "button " << id << " is not drawn over the texture";
    }
  });
}

TEST_F(AppearanceTest, WithoutATextureTheStandardFaceIsPainted) {
  Run([](CConverterDlg&, HWND h) {
    CBitmap empty;  // stands for a texture that failed to load
    CBitmap* const loaded = g_pBackgroundBitmap;
    g_pBackgroundBitmap = &empty;
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(100);
    const PixelImage screen = CaptureClient(h);

    // Called directly, with no window area and with a real one: returns, draws nothing.
    HDC dc = GetDC(h);
    EXPECT_FALSE(TileDialogBackground(h, dc));
    PaintDialogBackground(h, dc);
    ReleaseDC(h, dc);
    g_pBackgroundBitmap = loaded;
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(100);

    const std::vector<RECT> controls = VisibleControls(h);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    int checked = 0, notFace = 0;
    for (int y = 0; y < screen.height; ++y)
      for (int x = 0; x < screen.width; ++x) {
        if (InsideAny(controls, x, y)) continue;
        ++checked;
        if (screen.At(x, y) != face) ++notFace;
      }
    EXPECT_GT(checked, 1000);
    EXPECT_EQ(notFace, 0) << "the area must be erased by the standard erasing, not left unpainted";
    const PixelImage restored = CaptureClient(h);
    EXPECT_EQ(restored.At(0, 0), Texture().At(0, 0));
  });
}

TEST_F(AppearanceTest, AttachmentTakesTheTemplateStyleAndText) {
  Run([](CConverterDlg& dlg, HWND) {
    EXPECT_STREQ(dlg.m_lblOutputFile.m_szText, "Output File");
    EXPECT_EQ(dlg.m_lblOutputFile.m_dwStyle & 3, static_cast<DWORD>(SS_LEFT));
    EXPECT_NE(dlg.m_lblOutputFile.m_dwStyle & WS_CHILD, 0u);
    EXPECT_EQ(dlg.m_lblOutputFile.m_nLineCount, 1);
    EXPECT_EQ(dlg.m_lblTitle.m_dwStyle & 3, static_cast<DWORD>(SS_LEFT));
    EXPECT_STREQ(dlg.m_lblTitle.m_szText, "");
  });
}

TEST_F(AppearanceTest, TitleChangeLeavesNoneOfTheOldLetters) {
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

TEST_F(AppearanceTest, SettingTheSameTextAgainRepaintsTheLabel) {
  Run([](CConverterDlg&, HWND h) {
    HWND title = GetDlgItem(h, IDC_TITLE);
    const RECT label = LabelRect(h, IDC_TITLE);
    SetWindowTextA(title, "Same text");
    SettlePainting(h);
    Smear(h, label);
    PumpFor(50);
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

TEST_F(AppearanceTest, ExchangedTitleReachesTheLabelReadsBackAndEmptiesOnClose) {
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

TEST_F(AppearanceTest, LinesAreLaidOutOneBelowTheOtherByTheAlignment) {
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
        const int x = style == 0 ? 2 : style == 1 ? (width - cx) / 2 : width - cx - 2;
        const LabelInk ink = InkIn(screen, label, {0, top, width, top + sizes[i].cy});
        ASSERT_GT(ink.count, 0);
        EXPECT_GE(ink.left, x);
        EXPECT_LE(ink.left, x + 2);
        EXPECT_LT(ink.right, x + cx);
        EXPECT_GE(ink.right, x + cx - 3);
        EXPECT_EQ(ink.nonTexture, 0);
        if (i == 0) firstInkTop = ink.top;
        EXPECT_EQ(ink.top - firstInkTop, top) << "line " << i << " must start cy + 1 below the line above";
        top += sizes[i].cy + 1;
      }
      EXPECT_EQ(InkIn(screen, label, {0, top, width, height}).count, 0) << "nothing below the last line";
    }
  });
}

TEST_F(AppearanceTest, OverlongTextsAreCutAndNothingSpills) {
  Run([](CConverterDlg& dlg, HWND h) {
    HWND title = GetDlgItem(h, IDC_TITLE);
    std::string text = std::string(400, 'W') + "\n";
    while (text.size() < 1500) text += "line\n";
    EXPECT_TRUE(SetWindowTextA(title, text.c_str()));
    SettlePainting(h);  // a 400-character line is drawn cut to 255
    EXPECT_EQ(std::strlen(dlg.m_lblTitle.m_szText), 1023u);
    EXPECT_EQ(std::string(dlg.m_lblTitle.m_szText), text.substr(0, 1023));
    EXPECT_EQ(dlg.m_lblTitle.m_nLineCount, label_layout::CountLines(text.substr(0, 1023).c_str()));
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

TEST_F(AppearanceTest, TextIsClippedToTheLabelLeavingItsTopRowAndLeftColumn) {
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
