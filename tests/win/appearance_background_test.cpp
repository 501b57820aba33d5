// The main window's textured background, read back from the screen: it covers the client
// area outside the controls, stays anchored at (0, 0) after a partial repaint, leaves the
// push buttons visible, and gives way to the plain face when the texture is missing.
#include <gtest/gtest.h>

#include "win/AppearanceChecks.h"

namespace {
using namespace appearance;

class BackgroundTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }
  static void Run(const std::function<void(CConverterDlg&, HWND)>& script) { RunMainDialog(script); }
};
}  // namespace

TEST_F(BackgroundTest, TextureCoversTheClientAreaOutsideTheControls) {
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

TEST_F(BackgroundTest, TextureStaysAnchoredAtTheCornerAfterAPartialRepaint) {
  Run([](CConverterDlg&, HWND h) {
    // A free strip between the Start Time row and the output row, at offsets that are not
    // multiples of the tile size.
    const RECT above = ChildRect(h, GetDlgItem(h, IDC_START_TIME));
    const RECT below = ChildRect(h, GetDlgItem(h, IDC_OUTPUT_FILE));
    const RECT part = {23, above.bottom + 3, 23 + 101, below.top - 2};
    ASSERT_GT(part.bottom - part.top, 5);
    ASSERT_EQ(InsideAny(VisibleControls(h), part.left, part.top), false);

    Smear(h, part);
    PumpPending();
    ASSERT_GT(CountColour(CaptureClient(h), part, kMarker), 0) << "the smear should be visible before the repaint";

    InvalidateRect(h, &part, TRUE);
    UpdateWindow(h);
    PumpPending();
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

TEST_F(BackgroundTest, PushButtonsShowOverTheTexture) {
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

TEST_F(BackgroundTest, WithoutATextureTheStandardFaceIsPainted) {
  Run([](CConverterDlg&, HWND h) {
    CBitmap empty;  // stands for a texture that failed to load
    CBitmap* const loaded = g_pBackgroundBitmap;
    g_pBackgroundBitmap = &empty;
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPending();
    const PixelImage screen = CaptureClient(h);

    // Called directly, with no window area and with a real one: returns, draws nothing
    // over the marker smeared on the window.
    const RECT corner = {0, 0, 20, 20};
    Smear(h, corner);
    HDC dc = GetDC(h);
    EXPECT_FALSE(TileDialogBackground(h, dc));
    PaintDialogBackground(h, dc);
    ReleaseDC(h, dc);
    EXPECT_EQ(CountColour(CaptureClient(h), corner, kMarker), 20 * 20) << "painted without a texture";
    g_pBackgroundBitmap = loaded;
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPending();

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
