// The dialog templates as the built program carries them: read from Sonbrel.exe's own
// resources and parsed here, so that any edit of the .rc that changes an id, a class, a
// caption, a rectangle or a style shows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/WinTestSupport.h"
#include "winfw/UniqueHandle.h"

namespace {
using DluRect = std::array<short, 4>;  // x, y, width, height in dialog units

struct DialogItem {
  DWORD style = 0, exStyle = 0;
  DluRect rect{};
  int id = 0;
  std::string cls;   // lower case; the predefined classes by name
  std::string text;  // "#n" for a resource number (an icon's)
};

struct DialogTemplate {
  bool extended = false;
  DWORD style = 0, exStyle = 0;
  DluRect rect{};
  std::string menu, cls, title;
  WORD pointSize = 0, weight = 0;
  BYTE italic = 0, charset = 0;
  std::string face;
  std::vector<DialogItem> items;
};

// Reads the template's fields in order; any read past the end marks it broken.
class TemplateReader {
 public:
  TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}
  bool broken() const { return m_broken; }

  template <class T>
  T Read() {
    T value{};
    if (m_pos + sizeof(T) > m_size) {
      m_broken = true;
      return value;
    }
    std::memcpy(&value, m_data + m_pos, sizeof(T));
    m_pos += sizeof(T);
    return value;
  }
  std::string String() {
    std::wstring wide;
    for (WORD c = Read<WORD>(); c != 0 && !m_broken; c = Read<WORD>()) wide += static_cast<wchar_t>(c);
    std::string text(wide.size() * 3 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0],
                                      static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
  }
  // A name, or a number (0xFFFF, then the number) as "#n".
  std::string NameOrNumber() {
    if (m_pos + 2 <= m_size && m_data[m_pos] == 0xFF && m_data[m_pos + 1] == 0xFF) {
      Read<WORD>();
      return "#" + std::to_string(Read<WORD>());
    }
    return String();
  }
  // The window style and the extended style, in the order of the template's kind.
  void Styles(bool extended, DWORD& style, DWORD& exStyle) {
    if (extended) {
      Read<DWORD>();  // help id
      exStyle = Read<DWORD>();
      style = Read<DWORD>();
    } else {
      style = Read<DWORD>();
      exStyle = Read<DWORD>();
    }
  }
  DluRect Rect() {
    DluRect rect{};
    for (short& v : rect) v = Read<short>();
    return rect;
  }
  void Skip(size_t n) { m_pos += n; }
  void AlignToDword() { m_pos = (m_pos + 3) & ~size_t{3}; }

 private:
  const BYTE* m_data;
  size_t m_size;
  size_t m_pos = 0;
  bool m_broken = false;
};

// The class in lower case; the predefined classes by their names.
std::string ClassName(const std::string& name) {
  static const char* const predefined[] = {"button", "edit", "static", "listbox", "scrollbar", "combobox"};
  for (int i = 0; i < 6; ++i)
    if (name == "#" + std::to_string(0x80 + i)) return predefined[i];
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Parses a DLGTEMPLATE or a DLGTEMPLATEEX with its items.
bool Parse(const BYTE* data, size_t size, DialogTemplate& t) {
  TemplateReader r(data, size);
  t.extended = size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
  if (t.extended) r.Skip(4);  // version and signature
  r.Styles(t.extended, t.style, t.exStyle);
  const WORD count = r.Read<WORD>();
  t.rect = r.Rect();
  t.menu = r.NameOrNumber();
  t.cls = r.NameOrNumber();
  t.title = r.String();
  if (t.style & (DS_SETFONT | DS_SHELLFONT)) {
    t.pointSize = r.Read<WORD>();
    if (t.extended) {
      t.weight = r.Read<WORD>();
      t.italic = r.Read<BYTE>();
      t.charset = r.Read<BYTE>();
    }
    t.face = r.String();
  }
  for (WORD i = 0; i < count && !r.broken(); ++i) {
    r.AlignToDword();
    DialogItem item;
    r.Styles(t.extended, item.style, item.exStyle);
    item.rect = r.Rect();
    item.id = t.extended ? static_cast<int>(r.Read<DWORD>()) : static_cast<short>(r.Read<WORD>());
    item.cls = ClassName(r.NameOrNumber());
    item.text = r.NameOrNumber();
    r.Skip(r.Read<WORD>());  // creation data
    t.items.push_back(item);
  }
  return !r.broken();
}

// Dialog template `id` of the built program, read without running it.
bool LoadTemplate(int id, DialogTemplate& t) {
  const std::string program = ProgramPath();
  UniqueModule module(LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!module) {
    ADD_FAILURE() << "cannot load " << program;
    return false;
  }
  HRSRC found = FindResourceA(module.Get(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
  HGLOBAL loaded = found ? LoadResource(module.Get(), found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) {
    ADD_FAILURE() << "no dialog " << id << " in " << program;
    return false;
  }
  return Parse(static_cast<const BYTE*>(data), SizeofResource(module.Get(), found), t);
}

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;

struct Control {
  int id;
  const char* cls;
  const char* text;  // nullptr: a text the maker chooses, checked apart
  DluRect rect;
  WORD kindStyle;    // the control's own style bits (the low word), exactly
  DWORD windowStyle; // window style bits that must be set
};

void ExpectControls(const DialogTemplate& t, const std::vector<Control>& expected) {
  ASSERT_EQ(t.items.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const DialogItem& item = t.items[i];
    const Control& want = expected[i];
    SCOPED_TRACE("control " + std::to_string(i + 1) + ", id " + std::to_string(want.id));
    EXPECT_EQ(item.id, want.id);
    EXPECT_EQ(item.cls, want.cls);
    if (want.text) {
      EXPECT_EQ(item.text, want.text);
    }
    EXPECT_EQ(item.rect, want.rect);
    EXPECT_EQ(LOWORD(item.style), want.kindStyle);
    EXPECT_EQ(item.style & (want.windowStyle | kShown), want.windowStyle | kShown);
    EXPECT_EQ(item.style & WS_DISABLED, 0u);
  }
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }
}  // namespace

TEST(DialogTemplates, MainWindowTemplate102) {
  DialogTemplate t;
  ASSERT_TRUE(LoadTemplate(IDD_CONVERTER_DIALOG, t));
  const DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT;
  EXPECT_EQ(t.style & wanted, wanted);
  // Not resizable, no maximise box, no clip-children style.
  EXPECT_EQ(t.style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN | WS_CHILD), 0u);
  EXPECT_EQ(t.exStyle & WS_EX_APPWINDOW, static_cast<DWORD>(WS_EX_APPWINDOW));
  EXPECT_EQ(t.rect[2], 247);
  EXPECT_EQ(t.rect[3], 194);
  EXPECT_EQ(t.title, "Sonbrel");
  EXPECT_EQ(t.menu, "");
  EXPECT_EQ(t.cls, "");
  EXPECT_EQ(t.pointSize, 8);
  EXPECT_EQ(t.face, "MS Sans Serif");

  // The push buttons are plain push buttons: none is the default button.
  ExpectControls(t, {
      {IDCANCEL, "button", "Exit", {234, 129, 6, 14}, BS_PUSHBUTTON, 0},
      {IDC_TITLE, "static", "", {83, 9, 157, 14}, SS_LEFT | SS_CENTERIMAGE, 0},
      {IDC_CONVERT, "button", "Convert", {7, 129, 100, 14}, BS_PUSHBUTTON, 0},
      {IDC_OPEN, "button", "Open MP3 File", {7, 7, 68, 14}, BS_PUSHBUTTON, 0},
      {IDC_SLIDER, "msctls_trackbar32", "Slider1", {7, 28, 224, 15}, TBS_HORZ | TBS_BOTH | TBS_NOTICKS, WS_TABSTOP},
      {IDC_START_TIME, "button", "Start Time", {7, 78, 50, 14}, BS_PUSHBUTTON, 0},
      {IDC_END_TIME, "button", "End Time", {126, 78, 50, 14}, BS_PUSHBUTTON, 0},
      {IDC_PLAY, "button", "Play", {7, 52, 50, 14}, BS_PUSHBUTTON, 0},
      {IDC_PAUSE, "button", "Pause", {91, 52, 50, 14}, BS_PUSHBUTTON, 0},
      {IDC_STOP, "button", "Stop", {175, 52, 50, 14}, BS_PUSHBUTTON, 0},
      {IDC_START_CLOCK, "static", "", {60, 81, 40, 9}, SS_CENTER | SS_SUNKEN, 0},
      {IDC_END_CLOCK, "static", "", {179, 81, 40, 9}, SS_CENTER | SS_SUNKEN, 0},
      {IDC_CLOSE_MEDIA, "button", "Close ", {228, 151, 12, 14}, BS_PUSHBUTTON, 0},
      {IDC_OUTPUT_LABEL, "static", "Output File", {11, 111, 39, 8}, SS_LEFT, 0},
      {IDC_OUTPUT_FILE, "edit", "", {55, 109, 150, 13}, ES_LEFT | ES_AUTOHSCROLL, WS_BORDER | WS_TABSTOP},
      {IDC_BROWSE, "button", "Browse", {206, 109, 34, 13}, BS_PUSHBUTTON, 0},
      {IDC_HELP_BUTTON, "button", "Help", {174, 129, 50, 14}, BS_PUSHBUTTON, 0},
      {IDC_HOMEPAGE, "button", "Homepage", {90, 155, 50, 14}, BS_PUSHBUTTON, 0},
      {IDC_PROGRESS, "msctls_progress32", "Progress1", {7, 178, 233, 9}, PBS_SMOOTH, 0},
      {IDC_ABOUT, "button", "About", {174, 155, 50, 14}, BS_PUSHBUTTON, 0},
  });
}

TEST(DialogTemplates, AboutBoxTemplate100) {
  DialogTemplate t;
  ASSERT_TRUE(LoadTemplate(IDD_ABOUTBOX, t));
  EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
  EXPECT_EQ(t.exStyle, 0u);
  EXPECT_EQ(t.rect[2], 216);
  EXPECT_EQ(t.rect[3], 92);
  EXPECT_EQ(t.title, "About Sonbrel");
  EXPECT_EQ(t.pointSize, 8);
  EXPECT_EQ(t.face, "MS Sans Serif");
  EXPECT_EQ(t.weight, FW_NORMAL);
  EXPECT_EQ(t.italic, 0);
  EXPECT_EQ(t.charset, ANSI_CHARSET);

  ExpectControls(t, {
      {IDC_STATIC, "static", "#128", {11, 17, 20, 20}, SS_ICON, 0},  // the program's icon
      {IDC_STATIC, "static", "Sonbrel Version 1.2", {39, 10, 170, 8}, SS_LEFT | SS_NOPREFIX, WS_GROUP},
      {IDC_STATIC, "static", nullptr, {39, 24, 170, 8}, SS_LEFT, WS_GROUP},
      {IDOK, "button", "OK", {81, 70, 50, 14}, BS_DEFPUSHBUTTON, WS_TABSTOP | WS_GROUP},
      {IDC_STATIC, "static", nullptr, {39, 38, 159, 8}, SS_LEFT, WS_GROUP},
      {IDC_STATIC, "static", nullptr, {39, 51, 170, 8}, SS_LEFT, WS_GROUP},
  });
  ASSERT_EQ(t.items.size(), 6u);
  EXPECT_FALSE(t.items[2].text.empty());               // the maker's notice
  const std::string website = t.items[4].text;
  ASSERT_TRUE(StartsWith(website, "Website: ")) << website;
  const std::string site = website.substr(9);
  EXPECT_TRUE(StartsWith(site, "https://") || StartsWith(site, "http://")) << site;
  EXPECT_EQ(t.items[5].text, "Support: " + site + "/contact.htm");
}
