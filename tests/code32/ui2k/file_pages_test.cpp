// The file pages' name checks, remembered folders and the test that tells a preset's or a
// quality entry's settings file from a user's own file.
#include <string>
#include <vector>

#include "base/paths_and_names.h"
#include "page_engine_fixture.h"
#include "pages/file_pages.h"
#include "stored/page_opening.h"
#include "stored/preset_list.h"
#include "stored/settings_load_save.h"
#include "stored/settings_package.h"
#include "stored/snapshot_ring.h"
#include "win/spool.h"
#include "win/registry.h"
#include "win/files.h"
#include "win/profile.h"

namespace kovatest {
namespace file_pages_test {
namespace {

PageRecord PageOf(WORD id, DWORD flags) {
  PageRecord page{};
  page.pageId = id;
  page.flags = flags;
  return page;
}

TEST(FilePagePatterns, NamesEndInThePagesExtension) {
  struct Case {
    WORD pageId;
    DWORD flags;
    const char16_t* name;
    bool matches;
  };
  const Case cases[] = {
      {4009, 0x2000, u"C:\\a\\abc.kst", true},
      {4009, 0x2000, u"ABC.KST", true},
      {4009, 0x2000, u"abc.Kst", true},
      {4009, 0x2000, u"abc.txt", false},
      {4009, 0x2000, u"abc.kstx", false},
      {4009, 0x2000, u".kst", true},
      {4009, 0x2000, u"kst", false},
      {4009, 0x2000, u"st", false},
      {4009, 0x2000, u"", false},
      {4009, 0x2000, nullptr, false},
      {4003, 0x400, u"stamp.bmp", true},
      {4003, 0x400, u"stamp.kst", false},
      {4008, 0x1000, u"form.kpo", true},
      {4007, 0x800, u"form.KPO", true},
      {1037, 0, u"form.kpo", true},
      {1037, 0, u"form.bmp", false},
      {4001, 0x100, u"x.kst", true},
      {4003, 0x4400, u"profile.kcm", true},  // colour-profile page, no file-type choice
      {4003, 0x4400, u"profile.txt", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pageId << " " << (c.name ? std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)) : "null"));
    const PageRecord page = PageOf(c.pageId, c.flags);
    EXPECT_EQ(HasFilterExtension(&page, c.name), c.matches);
  }
}

TEST(FilePagePatterns, RememberedKeysByFirstFileFlag) {
  struct Case {
    DWORD flags;
    const char16_t* key;
  };
  const Case cases[] = {
      {0x100, u"OpenFilePath"}, {0x200, u"SaveFilePath"}, {0x400, u"RefFilePath"}, {0x4400, u"RefFile2Path"},
      {0x800, nullptr},         {0x1000, u"KporefPath"},  {0x2000, u"KstSavePath"}, {0x8000, nullptr},
      {0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    const PageRecord page = PageOf(4000, c.flags);
    const WCHAR* key = GetRememberedPathKey(&page);
    if (!c.key) {
      EXPECT_EQ(key, nullptr);
    } else {
      ASSERT_NE(key, nullptr);
      EXPECT_EQ(std::u16string(key), c.key);
    }
  }
}

class FilePagesTest : public PageEngineTest {
 protected:
  void SetUp() override {
    PageEngineTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    root_.WriteFile(u"C:\\Users\\me\\keep.txt", "");
  }
  DriverContext* Start() {
    DriverContext* context = Bound();
    if (context) {
      ini_ = GetUserIniPath(context);
      section_ = GetPrinterSectionName(context);
    }
    return context;
  }
  void Key(const std::u16string& key, const std::u16string& value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section_.c_str(), key.c_str(), value.c_str(), ini_.c_str()));
  }
  std::string Bytes(const std::u16string& path) { return root_.ReadFile(path); }

  std::u16string ini_;
  std::u16string section_;
};

TEST_F(FilePagesTest, FileExistsOnTheWidePath) {
  root_.WriteFile(u"C:\\Users\\me\\Bj\u00f8rn \u65e5\u672c.kst", "settings");
  struct Case {
    const char16_t* path;
    bool exists;
  };
  const Case cases[] = {
      {u"C:\\Users\\me\\Bj\u00f8rn \u65e5\u672c.kst", true},
      {u"C:\\Users\\me\\keep.txt", true},
      {u"C:\\Users\\me\\none.kst", false},
      {u"", false},
      {nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exists);
    EXPECT_EQ(FileExists(c.path), c.exists);
  }
}

TEST_F(FilePagesTest, PagesRememberTheFolderOfTheirLastFile) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  struct Case {
    const char* name;
    DWORD flags;
    const char16_t* path;
    const char16_t* folder;  // null: nothing remembered
  };
  const Case cases[] = {
      {"a folder", 0x2000, u"C:\\Users\\me\\abc.kst", u"C:\\Users\\me"},
      {"a drive root keeps its backslash", 0x100, u"D:\\abc.kst", u"D:\\"},
      {"a network folder", 0x1000, u"\\\\server\\share\\f.kpo", u"\\\\server\\share"},
      {"a page without a key", 0x800, u"C:\\Users\\me\\o.kpo", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PageRecord page = PageOf(4000, c.flags);
    RememberFileFolder(context, &page, c.path);
    WCHAR out[300] = {u'x'};
    EXPECT_EQ(ReadRememberedFolder(context, &page, out, 300), c.folder != nullptr);
    EXPECT_EQ(std::u16string(out), c.folder ? c.folder : u"");
  }
}

TEST_F(FilePagesTest, StoredPresetFilesAreFoundWithoutWritingIntoAnyFile) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  const std::u16string preset = u"C:\\Users\\me\\pa.kst";
  const std::u16string quality = u"C:\\Users\\me\\qa.kst";
  const std::u16string own = u"C:\\Users\\me\\mine.kst";
  const std::string content = "[Page Printer]\r\nKstMachine=1\r\n";
  for (const auto& f : {preset, quality, own}) root_.WriteFile(f, content);
  Key(u"Count", u"1");
  Key(u"PresetList0", preset);
  Key(u"QualityCount", u"1");
  Key(u"QualityList0", quality);
  struct Case {
    const char* name;
    std::u16string path;
    int stored;
  };
  const Case cases[] = {
      {"a preset's file", preset, 1},
      {"in other case", u"c:\\USERS\\ME\\PA.KST", 1},
      {"through a dot-dot", u"C:\\Users\\me\\..\\me\\pa.kst", 1},
      {"a quality entry's file", quality, 1},
      {"the user's own file", own, 0},
      {"a missing file", u"C:\\Users\\me\\gone.kst", 0},
      {"an empty name", u"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsStoredPresetFile(context, c.path.c_str()), c.stored);
  }
  // Every file as it was: nothing marks the stored ones.
  for (const auto& f : {preset, quality, own}) {
    SCOPED_TRACE(std::string(f.begin(), f.end()));
    EXPECT_EQ(Bytes(f), content);
  }
}

// The file pages run through their dialogs, with the script's answers.
class FileDialogTest : public FilePagesTest {
 protected:
  void SetUp() override {
    FilePagesTest::SetUp();
    root_.WriteFile(u"C:\\drv\\KOVAUIUS.rc",
                    ReadFixtureFile("pages/page_engine.rc") + "\n" + ReadFixtureFile("pages/file_pages.rc"));
  }
  std::u16string Remembered(const char16_t* key, DriverContext* context) {
    WCHAR value[300] = {};
    GetPrivateProfileStringW(GetPrinterDisplayName(context), key, u"", value, 300, ini_.c_str());
    return value;
  }
  static std::vector<std::u16string> BoxTexts() {
    std::vector<std::u16string> texts;
    for (const auto& box : plat::ui::MessageBoxes()) texts.push_back(box.text);
    return texts;
  }
  // A step that finds the file dialog still open, then cancels it.
  static void CancelStillOpen(bool* open) {
    plat::ui::QueueStep([open] {
      HWND dialog = plat::ui::ActiveModal();
      *open = dialog != nullptr;
      if (dialog) SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
  }
};

const char16_t* const kOtherExtension = u"The name has another extension. Use the settings file extension?";
const char16_t* const kReplace = u"The file exists. Replace it?";
const char16_t* const kBadName = u"The name cannot be used.";

TEST_F(FileDialogTest, TheSettingsSavePageCompletesAndChecksTheName) {
  struct Case {
    const char* name;
    std::u16string typed;
    std::vector<int> answers;
    bool existing;                    // C:\Users\me\old.kst exists before
    std::vector<std::u16string> boxes;
    const char16_t* saved;            // the file written, null: the dialog stayed open
  };
  const std::u16string longName(260, u'n');
  const Case cases[] = {
      {"a bare name gets the folder and the extension", u"abc", {}, false, {}, u"C:\\Users\\me\\abc.kst"},
      {"another extension, OK", u"abc.txt", {IDOK}, false, {kOtherExtension}, u"C:\\Users\\me\\abc.kst"},
      {"another extension, Cancel", u"abc.txt", {IDCANCEL}, false, {kOtherExtension}, nullptr},
      {"an existing file, OK", u"old.kst", {IDOK}, true, {kReplace}, u"C:\\Users\\me\\old.kst"},
      {"an existing file, Cancel", u"old", {IDCANCEL}, true, {kReplace}, nullptr},
      {"a full path", u"C:\\Users\\me\\full.kst", {}, false, {}, u"C:\\Users\\me\\full.kst"},
      {"a path over 258 characters", longName, {}, false, {kBadName}, nullptr},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DriverContext* context = Bound(u"Save Printer " + std::u16string(1, static_cast<char16_t>(u'a' + index++)));
    ASSERT_NE(context, nullptr);
    ini_ = GetUserIniPath(context);
    ASSERT_TRUE(WritePrivateProfileStringW(GetPrinterDisplayName(context), u"KstSavePath", u"C:\\Users\\me", ini_.c_str()));
    if (c.existing) root_.WriteFile(u"C:\\Users\\me\\old.kst", "old");
    plat::ui::ClearMessageBoxes();
    for (int a : c.answers) plat::ui::QueueMessageBoxAnswer(a);
    plat::ui::QueueFileDialogPath(c.typed);
    bool open = false;
    if (!c.saved) CancelStillOpen(&open);
    ShowPage(context, 4, 4009, nullptr);
    EXPECT_EQ(plat::ui::PendingSteps(), 0u);
    EXPECT_EQ(open, c.saved == nullptr);
    EXPECT_EQ(BoxTexts(), c.boxes);
    if (c.saved) {
      const std::string bytes = Bytes(c.saved);
      EXPECT_NE(bytes, "");
      EXPECT_NE(bytes, "old");
      EXPECT_EQ(Remembered(u"KstSavePath", context), u"C:\\Users\\me");
      EXPECT_EQ(std::u16string(context->work->sheet.lastFileName), c.saved);
    } else {
      EXPECT_EQ(GetFileAttributesW(u"C:\\Users\\me\\abc.kst"), INVALID_FILE_ATTRIBUTES);
      if (c.existing) {
        EXPECT_EQ(Bytes(u"C:\\Users\\me\\old.kst"), "old");
      }
    }
    for (const char16_t* f : {u"C:\\Users\\me\\abc.kst", u"C:\\Users\\me\\old.kst", u"C:\\Users\\me\\full.kst"})
      DeleteFileW(f);
  }
}

TEST_F(FileDialogTest, AFailedSaveShowsWhyNotSuccess) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  plat::ui::ClearMessageBoxes();
  plat::ui::QueueFileDialogPath(u"C:\\Nowhere\\abc.kst");
  ShowPage(context, 4, 4009, nullptr);
  ASSERT_EQ(plat::ui::MessageBoxes().size(), 1u);
  const std::u16string text = plat::ui::MessageBoxes()[0].text;
  EXPECT_NE(text, u"");
  EXPECT_EQ(text.find(u"successfully"), std::u16string::npos) << std::string(text.begin(), text.end());
}

TEST_F(FileDialogTest, DeletingAPresetsFileIsRefused) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  const std::u16string preset = u"C:\\Users\\me\\pa.kst";
  const std::string content = "[Page Printer]\r\nKstMachine=1\r\n";
  root_.WriteFile(preset, content);
  Key(u"Count", u"1");
  Key(u"PresetList0", preset);
  plat::ui::ClearMessageBoxes();
  bool open = false;
  plat::ui::QueueStep([&] {
    HWND dialog = plat::ui::ActiveModal();
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextW(dialog, 1152, u"C:\\Users\\me\\pa.kst");
    SendMessageW(dialog, WM_COMMAND, 5003, 0);
  });
  CancelStillOpen(&open);
  ShowPage(context, 4, 4002, nullptr);
  EXPECT_TRUE(open);
  EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{u"The settings file belongs to a preset and cannot be deleted."});
  EXPECT_EQ(Bytes(preset), content);
  EXPECT_EQ(context->work->sheet.fileCommand, 0);
}

TEST_F(FileDialogTest, TheFolderChooserStoresTheTempFolderAsEmpty) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  WCHAR windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::u16string temp = std::u16string(windows) + u"\\temp";
  root_.WriteFile(temp + u"\\keep.txt", "");
  SetPrinterDataW(context->hPrinter, const_cast<WCHAR*>(u"SpoolDirectory"), REG_SZ,
                  reinterpret_cast<BYTE*>(const_cast<char16_t*>(u"C:\\Users\\me")), 24);
  // The chooser opens in the printer's folder; the user goes to the temp folder and presses OK.
  plat::ui::QueueFileDialogPath(temp);
  plat::ui::QueueStep([] {
    HWND dialog = plat::ui::ActiveModal();
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextW(dialog, 1152, u"");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(ShowPage(context, 4, 4015, nullptr), 0);
  EXPECT_EQ(plat::ui::PendingSteps(), 0u);
  WCHAR stored[MAX_PATH] = {u'x'};
  DWORD type = 0, needed = 0;
  EXPECT_EQ(GetPrinterDataW(context->hPrinter, const_cast<WCHAR*>(u"SpoolDirectory"), &type,
                            reinterpret_cast<BYTE*>(stored), sizeof stored, &needed),
            ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(stored), u"");
}

TEST_F(FileDialogTest, OpeningSeveralFilesLeavesRoomForTheirPresets) {
  struct Case {
    const char* name;
    std::vector<std::u16string> names;
    int result;
    std::vector<std::u16string> boxes;
  };
  const Case cases[] = {
      {"two names beside fourteen presets", {u"a.kst", u"b.kst"}, 1, {}},
      {"three names beside fourteen presets", {u"a.kst", u"b.kst", u"c.kst"}, 0, {u"Too many presets."}},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DriverContext* context = Bound(u"Open Printer " + std::u16string(1, static_cast<char16_t>(u'a' + index++)));
    ASSERT_NE(context, nullptr);
    ini_ = GetUserIniPath(context);
    section_ = GetPrinterSectionName(context);
    Key(u"Count", u"14");
    ASSERT_TRUE(WritePrivateProfileStringW(GetPrinterDisplayName(context), u"OpenFilePath", u"C:\\Users\\me", ini_.c_str()));
    for (const char16_t* f : {u"C:\\Users\\me\\a.kst", u"C:\\Users\\me\\b.kst", u"C:\\Users\\me\\c.kst"})
      ASSERT_TRUE(SaveSettingsFile(context->hPrinter, f, 0, context));
    plat::ui::ClearMessageBoxes();
    plat::ui::QueueFileDialogNames(c.names);
    bool open = false;
    if (c.result == 0) CancelStillOpen(&open);
    EXPECT_EQ(ShowPage(context, 4, 4001, nullptr), c.result);
    EXPECT_EQ(open, c.result == 0);
    EXPECT_EQ(BoxTexts(), c.boxes);
  }
}

// A save forms a package beside the settings file; when the package cannot be completed
// its folder goes again, the settings file itself is saved; a delete then takes the file.
TEST_F(FileDialogTest, ASaveLeavesNoHalfPackageAndADeleteRemovesTheFile) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  ASSERT_TRUE(WritePrivateProfileStringW(GetPrinterDisplayName(context), u"KstSavePath", u"C:\\Users\\me", ini_.c_str()));
  const std::u16string file = u"C:\\Users\\me\\pack.kst";
  // The package this save would form, and whether this printer's package can be completed.
  WCHAR probe[MAX_PATH] = {};
  ASSERT_EQ(MakePackageFileName(file.c_str(), probe, context), 1);
  std::u16string packageFolder(probe);
  packageFolder = packageFolder.substr(0, packageFolder.rfind(u'\\'));
  const std::u16string packages = packageFolder.substr(0, packageFolder.rfind(u'\\'));
  const bool exportable = ExportSettingsPackage(file.c_str(), probe, context) != 0;
  RemoveDirectoryTree(probe);
  DeleteFileW(u"C:\\Users\\me\\pack.lst");
  plat::ui::QueueFileDialogPath(u"pack");
  ShowPage(context, 4, 4009, nullptr);
  ASSERT_NE(Bytes(file), "");
  // Every package folder left behind is a whole one, with the list file that names it.
  const bool listed = GetFileAttributesW(u"C:\\Users\\me\\pack.lst") != INVALID_FILE_ATTRIBUTES;
  EXPECT_EQ(listed, exportable);
  WIN32_FIND_DATAW found{};
  int folders = 0;
  HANDLE search = FindFirstFileW((packages + u"\\*pack").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ++folders;
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  EXPECT_EQ(folders, exportable ? 1 : 0);
  // Delete through the settings page.
  plat::ui::ClearMessageBoxes();
  plat::ui::QueueMessageBoxAnswer(IDOK);
  plat::ui::QueueStep([] {
    HWND dialog = plat::ui::ActiveModal();
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextW(dialog, 1152, u"C:\\Users\\me\\pack.kst");
    SendMessageW(dialog, WM_COMMAND, 5003, 0);
  });
  ShowPage(context, 4, 4002, nullptr);
  EXPECT_EQ(plat::ui::PendingSteps(), 0u);
  EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{u"Delete the file?"});
  EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(u"C:\\Users\\me\\pack.lst"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(u"C:\\Users\\me\\keep.txt"), INVALID_FILE_ATTRIBUTES);
}

// Loading a file that is not there names the file in the warning and leaves the dialog open.
TEST_F(FileDialogTest, LoadingAMissingFileNamesIt) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  plat::ui::ClearMessageBoxes();
  bool open = false;
  plat::ui::QueueStep([] {
    HWND dialog = plat::ui::ActiveModal();
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextW(dialog, 1152, u"C:\\Users\\me\\gone.kst");
    SendMessageW(dialog, WM_COMMAND, 5002, 0);
  });
  CancelStillOpen(&open);
  ShowPage(context, 4, 4002, nullptr);
  EXPECT_TRUE(open);
  EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{u"The settings file C:\\Users\\me\\gone.kst cannot be loaded."});
  EXPECT_EQ(context->work->sheet.fileCommand, 0);
}

std::string BitmapBytes() {
  std::string bytes(58, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  bytes[14] = 40;  // BITMAPINFOHEADER
  return bytes;
}

TEST_F(FileDialogTest, TheReferencePagesCheckTheChosenFile) {
  root_.WriteFile(u"C:\\Users\\me\\stamp.bmp", BitmapBytes());
  root_.WriteFile(u"C:\\Users\\me\\fake.bmp", "not a bitmap");
  root_.WriteFile(u"C:\\Users\\me\\form.kpo", "overlay");
  root_.WriteFile(u"C:\\Users\\me\\form.txt", "overlay");
  struct Case {
    const char* name;
    WORD pageId;
    const char16_t* typed;
    std::vector<std::u16string> boxes;
    bool accepted;
    const char16_t* key;  // the remembered folder's key
  };
  const char16_t* unusable = u"The file cannot be used.";
  const Case cases[] = {
      {"a bitmap", 4003, u"C:\\Users\\me\\stamp.bmp", {}, true, u"RefFilePath"},
      {"a file that is not a bitmap", 4003, u"C:\\Users\\me\\fake.bmp", {unusable}, false, u"RefFilePath"},
      {"an overlay", 4008, u"C:\\Users\\me\\form.kpo", {}, true, u"KporefPath"},
      {"a missing overlay", 4008, u"C:\\Users\\me\\gone.kpo", {unusable}, false, u"KporefPath"},
      {"an overlay of another extension", 4008, u"C:\\Users\\me\\form.txt", {kBadName}, false, u"KporefPath"},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DriverContext* context = Bound(u"Reference Printer " + std::u16string(1, static_cast<char16_t>(u'a' + index++)));
    ASSERT_NE(context, nullptr);
    ini_ = GetUserIniPath(context);
    plat::ui::ClearMessageBoxes();
    plat::ui::QueueFileDialogPath(c.typed);
    bool open = false;
    if (!c.accepted) CancelStillOpen(&open);
    EXPECT_EQ(ShowPage(context, 4, c.pageId, nullptr), c.accepted ? 1 : 0);
    EXPECT_EQ(open, !c.accepted);
    EXPECT_EQ(BoxTexts(), c.boxes);
    EXPECT_EQ(Remembered(c.key, context), c.accepted ? u"C:\\Users\\me" : u"");
  }
}

// Opening a settings file test-loads it inside a settings snapshot; when no further snapshot
// can be taken the file is refused and the dialog stays open, and no snapshot is popped
// that the test-load did not push.
TEST_F(FileDialogTest, AnOpenWhoseTestLoadCannotTakeASnapshotStaysOpen) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  ASSERT_TRUE(SaveSettingsFile(context->hPrinter, u"C:\\Users\\me\\one.kst", 0, context));
  ASSERT_TRUE(WritePrivateProfileStringW(GetPrinterDisplayName(context), u"OpenFilePath", u"C:\\Users\\me", ini_.c_str()));
  // All but one snapshot taken: the page's own takes the last.
  const int room = 3 + kMaxExtraSnapshots;
  int pushed = 0;
  while (SettingsSnapshotDepth(context) < room - 1 && PushSettingsSnapshot(context)) ++pushed;
  ASSERT_EQ(SettingsSnapshotDepth(context), room - 1);
  plat::ui::QueueFileDialogPath(u"one.kst");
  int depthInside = -1;
  plat::ui::QueueStep([&] {
    HWND dialog = plat::ui::ActiveModal();
    depthInside = SettingsSnapshotDepth(context);
    if (dialog) SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(ShowPage(context, 4, 4001, nullptr), 0);
  EXPECT_EQ(depthInside, room);  // still open, the page's snapshot in place
  EXPECT_EQ(SettingsSnapshotDepth(context), room - 1);
  for (int i = 0; i < pushed; ++i) PopSettingsSnapshot(context, 0);
}

}  // namespace
}  // namespace file_pages_test
}  // namespace kovatest
