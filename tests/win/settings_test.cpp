// The settings store: where values live, their kinds and defaults, and what happens
// when the registry cannot be used.
#include <gtest/gtest.h>

#include <string>

#include "app/ConverterApp.h"
#include "app/Settings.h"
#include "support/WinTestSupport.h"

namespace {
std::string SectionPath(const char* section) {
  return std::string("software\\Travenor\\") + theApp.m_strAppName + "\\" + section;
}

void StoreRaw(const char* section, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }
  void TearDown() override { theApp.SetRegistryKey(settings::kRegistryKey); }
};
}  // namespace

TEST_F(SettingsTest, ApplicationNameIsTheExecutablesBaseName) {
  EXPECT_EQ(theApp.m_strAppName, "settings_test");
}

TEST_F(SettingsTest, ValuesRoundTripUnderTheApplicationsKey) {
  EXPECT_TRUE(theApp.WriteProfileString("Option", "output_cut_file", "D:\\out\\x.wav"));
  EXPECT_TRUE(theApp.WriteProfileInt("Setup", "t_first_update", -5));
  EXPECT_EQ(theApp.GetProfileString("Option", "output_cut_file", "none"), "D:\\out\\x.wav");
  EXPECT_EQ(static_cast<int>(theApp.GetProfileInt("Setup", "t_first_update", 0)), -5);

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath("Setup").c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, value = 0, size = sizeof(value);
  EXPECT_EQ(RegQueryValueExA(key, "t_first_update", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  RegCloseKey(key);
}

TEST_F(SettingsTest, PathsInAnyScriptRoundTripAndAnOlderVersionsValueReadsBackUnchanged) {
  // An earlier version wrote "Café" in its Western code page; the registry keeps UTF-16.
  const std::wstring old = L"Z:\\tmp\\Caf\u00e9 d\u00e9j\u00e0 vu\\sortie.wav";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SectionPath("Option").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, L"output_cut_file", 0, REG_SZ, reinterpret_cast<const BYTE*>(old.c_str()),
                 static_cast<DWORD>((old.size() + 1) * sizeof(wchar_t)));
  EXPECT_EQ(theApp.GetProfileString("Option", "output_cut_file", ""), u8"Z:\\tmp\\Café déjà vu\\sortie.wav");

  // A new value reads back as written, and other programs read it as the same text.
  const std::string path = u8"Z:\\Музыка\\日本語の歌 🎵.wav";
  EXPECT_TRUE(theApp.WriteProfileString("Option", "output_cut_file", path.c_str()));
  EXPECT_EQ(theApp.GetProfileString("Option", "output_cut_file", ""), path);
  wchar_t stored[256] = {};
  DWORD size = sizeof(stored);
  EXPECT_EQ(RegQueryValueExW(key, L"output_cut_file", nullptr, nullptr, reinterpret_cast<BYTE*>(stored), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(stored), Wide(path));
  RegCloseKey(key);
}

TEST_F(SettingsTest, MissingValuesGiveTheDefaultAndCreateTheSectionKey) {
  EXPECT_EQ(theApp.GetProfileString("Option", "output_cut_file", "c:\\output.wav"), "c:\\output.wav");
  EXPECT_EQ(theApp.GetProfileInt("Setup", "g_bFullscreen", 0), 0u);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath("Option").c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  if (key) RegCloseKey(key);
}

TEST_F(SettingsTest, AnEmptyStoredStringIsReturnedAsStored) {
  theApp.WriteProfileString("Option", "output_cut_file", "");
  EXPECT_EQ(theApp.GetProfileString("Option", "output_cut_file", "c:\\output.wav"), "");
}

TEST_F(SettingsTest, ValuesOfTheWrongKindCountAsAbsent) {
  const char text[] = "12345";
  StoreRaw("Setup", "t_first_update", REG_SZ, text, sizeof(text));
  EXPECT_EQ(theApp.GetProfileInt("Setup", "t_first_update", 77), 77u);

  const DWORD number = 42;
  StoreRaw("Option", "output_cut_file", REG_DWORD, &number, sizeof(number));
  EXPECT_EQ(theApp.GetProfileString("Option", "output_cut_file", "fallback"), "fallback");

  const BYTE shortInt[2] = {1, 2};
  StoreRaw("Setup", "short", REG_BINARY, shortInt, sizeof(shortInt));
  EXPECT_EQ(theApp.GetProfileInt("Setup", "short", 9), 9u);
}

TEST_F(SettingsTest, AStringStoredWithoutTerminatorIsReadSafely) {
  const char unterminated[4] = {'a', 'b', 'c', 'd'};
  StoreRaw("Option", "output_cut_file", REG_SZ, unterminated, sizeof(unterminated));
  EXPECT_EQ(theApp.GetProfileString("Option", "output_cut_file", ""), "abcd");
}

TEST_F(SettingsTest, AKeyThatCannotBeOpenedGivesDefaultsAndLosesWrites) {
  theApp.SetRegistryKey(std::string(300, 'k').c_str());  // longer than a key name may be
  EXPECT_FALSE(theApp.WriteProfileString("Option", "output_cut_file", "x"));
  EXPECT_FALSE(theApp.WriteProfileInt("Setup", "t_first_update", 1));
  EXPECT_EQ(theApp.GetProfileString("Option", "output_cut_file", "c:\\output.wav"), "c:\\output.wav");
  EXPECT_EQ(theApp.GetProfileInt("Setup", "t_first_update", 5), 5u);
}
