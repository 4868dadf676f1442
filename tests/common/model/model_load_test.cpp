// Loading model images: the process list and its keys, the cache file beside the data file
// and each rule that decides whether it is used, replaced or deleted.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "base/memory.h"
#include "model/model_cache_file.h"
#include "model/model_image.h"
#include "model/model_load.h"
#include "model/option_lookup.h"

namespace {

namespace fs = std::filesystem;
using kovatest::ContextTest;
using kovatest::PrinterSpec;

constexpr const char* kModel902 =
    "*FileVersion: 9.02\r\n*UIResDLLName: \"KOVAUIUS.DLL\"\r\n"
    "*OpenUI *KPD_RADIOLIST_1: PickOne\r\n*KPD_RADIOLIST_1 KDMORIENTATION_1: \"portrait\"\r\n*CloseUI\r\n";
constexpr const char* kModel902b =
    "*FileVersion: 9.02\r\n*OpenUI *KPD_IDC_FUNCSELECTSTAPLE: Boolean\r\n*CloseUI\r\n"
    "*OpenUI *KPD_RADIOLIST_1: PickOne\r\n*KPD_RADIOLIST_1 KDMORIENTATION_2: \"landscape\"\r\n*CloseUI\r\n";
constexpr const char* kModel901 =
    "*FileVersion: 9.01\r\n*OpenUI *KPD_RADIOLIST_1: PickOne\r\n*KPD_RADIOLIST_1 KDMORIENTATION_1: \"p\"\r\n*CloseUI\r\n";

std::string ImageString(const ModelImage* image) {
  return image ? std::string(reinterpret_cast<const char*>(ImageBytes(image)), ImageSize(image)) : std::string();
}

class ModelLoad : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    FreeLoadedModelImages();
  }
  void TearDown() override {
    ContextTest::TearDown();
    FreeLoadedModelImages();
  }

  // A printer of a driver of its own whose data file is at path with the given text.
  HANDLE Printer(const std::u16string& name, const std::u16string& path, const std::string* text) {
    if (text) root_.WriteFile(path, *text);
    PrinterSpec spec = PrinterSpec::OwnDriver(u"Driver " + name, path);
    spec.helpFile.clear();
    return InstallPrinter(name, std::move(spec));
  }
  HANDLE Printer(const std::u16string& name, const std::u16string& path, const std::string& text) {
    return Printer(name, path, &text);
  }

  static const ModelImage* Load(HANDLE printer) {
    DriverContext context{};
    context.hPrinter = printer;
    return LoadModelImage(&context);
  }

  bool Exists(const std::u16string& path) const { return fs::exists(root_.HostPath(path)); }
  std::string Read(const std::u16string& path) const { return Exists(path) ? root_.ReadFile(path) : std::string(); }
  // Moves a file's last-write time by some seconds.
  void Age(const std::u16string& path, int seconds) const {
    const fs::path p = root_.HostPath(path);
    fs::last_write_time(p, fs::last_write_time(p) + std::chrono::seconds(seconds));
  }

  static constexpr const char16_t* kData = u"C:\\drv\\KOVA.KPD";
  static constexpr const char16_t* kCache = u"C:\\drv\\KOVA.BCS";
};

TEST_F(ModelLoad, FirstLoadWritesTheCacheByteForByteAndItReadsBackTheSame) {
  HANDLE printer = Printer(u"P", kData, kModel902);
  const ModelImage* image = Load(printer);
  ASSERT_NE(image, nullptr);
  const std::string bytes = ImageString(image);
  EXPECT_EQ(Read(kCache), bytes);
  DWORD size = 0;
  BYTE* copy = ReadModelCacheFile(kData, &size);
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(size, bytes.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(copy), size), bytes);
  ModelImage* again = AdoptModelImageCopy(copy, size);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(ImageString(again), bytes);
  EXPECT_EQ(std::u16string(ImageUIResDLLName(again)), u"KOVAUIUS.DLL");
  FreeMem(again);
  // Found in the list the second time, without touching a file.
  fs::remove(root_.HostPath(kData));
  EXPECT_EQ(Load(printer), image);
}

TEST_F(ModelLoad, AnotherProcessTakesTheCacheInsteadOfParsing) {
  HANDLE printer = Printer(u"P", kData, kModel902);
  const std::string first = ImageString(Load(printer));
  FreeLoadedModelImages();  // as a new process would start
  // The data file changes but stays older than the cache: the cache is used.
  root_.WriteFile(kData, kModel902b);
  Age(kData, -60);
  EXPECT_EQ(ImageString(Load(printer)), first);
  // Newer than the cache: parsed again and the cache replaced.
  FreeLoadedModelImages();
  Age(kData, 120);
  const std::string second = ImageString(Load(printer));
  EXPECT_NE(second, first);
  EXPECT_EQ(Read(kCache), second);
}

TEST_F(ModelLoad, EveryUnusableCacheIsRebuiltAndReplaced) {
  struct Case {
    const char* what;
    int age;  // seconds the cache is moved against the data file
    std::function<void(std::string&)> spoil;
  };
  auto keep = [](std::string&) {};
  const Case cases[] = {
      {"older than the data file", -30, keep},
      {"one byte longer", 30, [](std::string& b) { b += "x"; }},
      {"cut short", 30, [](std::string& b) { b.resize(8000); }},
      {"the header alone", 30, [](std::string& b) { b.resize(7996); }},
      {"of another FileVersion", 30, [](std::string& b) { b[6] = '1'; }},  // "9.01"
      {"an offset outside the block", 30,
       [](std::string& b) { StoreU32(reinterpret_cast<BYTE*>(b.data()) + kHdrSlots, static_cast<DWORD>(b.size()) + 100); }},
      {"a bad tagged reference", 30,
       [](std::string& b) { StoreU32(reinterpret_cast<BYTE*>(b.data()) + kHdrCommandGroups, 3); }},
  };
  HANDLE printer = Printer(u"P", kData, kModel902);
  const std::string good = ImageString(Load(printer));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FreeLoadedModelImages();
    std::string bytes = good;
    c.spoil(bytes);
    root_.WriteFile(kCache, bytes);
    Age(kCache, c.age);
    const ModelImage* image = Load(printer);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(ImageString(image), good);
    EXPECT_EQ(Read(kCache), good);
  }
}

TEST_F(ModelLoad, DataFileOfAnotherVersionIsParsedEveryTimeAndItsCacheDeleted) {
  HANDLE printer = Printer(u"P", kData, kModel901);
  const ModelImage* image = Load(printer);
  ASSERT_NE(image, nullptr);
  EXPECT_FALSE(Exists(kCache));
  // A cache of the same version beside it (written by someone else) is deleted at the next
  // first load, and none is written.
  const std::string stale = ImageString(image);
  FreeLoadedModelImages();
  root_.WriteFile(kCache, stale);
  Age(kCache, 30);
  ASSERT_NE(Load(printer), nullptr);
  EXPECT_FALSE(Exists(kCache));
}

TEST_F(ModelLoad, DescriptionWithoutFileVersionNeverUsesOrWritesACache) {
  HANDLE printer = Printer(u"P", kData, std::string("*OpenUI *KPD_RADIOLIST_1: PickOne\r\n*CloseUI\r\n"));
  ASSERT_NE(Load(printer), nullptr);
  EXPECT_FALSE(Exists(kCache));
}

TEST_F(ModelLoad, MissingDataFileGivesNoImageAndNoContext) {
  // A good cache file beside a data file that is gone is not used either.
  const std::string cache = ImageString(Load(Printer(u"Q", kData, kModel902)));
  FreeLoadedModelImages();
  root_.WriteFile(u"C:\\drv\\NOWHERE.BCS", cache);
  HANDLE printer = Printer(u"P", u"C:\\drv\\NOWHERE.KPD", nullptr);
  DWORD size = 0;
  EXPECT_EQ(ReadModelCacheFile(u"C:\\drv\\NOWHERE.KPD", &size), nullptr);
  EXPECT_EQ(Load(printer), nullptr);
  EXPECT_EQ(GetModelImageList()->count, 0u);
  EXPECT_EQ(Create(printer), nullptr);
}

TEST_F(ModelLoad, PathsWithTheSameKeyShareOneImage) {
  const ModelImage* a = Load(Printer(u"A", kData, kModel902));
  const ModelImage* b = Load(Printer(u"B", u"C:\\other\\drv\\KOVA.XYZ", kModel902b));
  const ModelImage* c = Load(Printer(u"C", u"C:\\drv\\KOVB.KPD", kModel902b));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);  // the 8 characters before the last 4 are "drv\KOVA"
  EXPECT_NE(a, c);
  EXPECT_EQ(GetModelImageList()->count, 2u);
  // Keys compare as raw bytes: case matters.
  const ModelImage* d = Load(Printer(u"D", u"C:\\DRV\\KOVA.KPD", kModel902));
  EXPECT_NE(d, a);
}

TEST_F(ModelLoad, ShortPathsAreListedUnderTheWholePathAndFreedWithTheList) {
  HANDLE shortOne = Printer(u"S", u"C:\\K.KPD", kModel902);  // 8 characters: no key
  const ModelImage* first = Load(shortOne);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Load(shortOne), first);  // not built a second time
  const ModelImage* other = Load(Printer(u"T", u"C:\\L.KPD", kModel902b));
  EXPECT_NE(other, first);
  EXPECT_EQ(GetModelImageList()->count, 2u);
  EXPECT_EQ(FindLoadedModelImage(u"C:\\K.KPD"), first);
  FreeLoadedModelImages();  // the sanitizer build reports anything left behind
  EXPECT_EQ(GetModelImageList()->count, 0u);
  EXPECT_EQ(GetModelImageList()->first, nullptr);
}

TEST_F(ModelLoad, ContextsCarryTheListedImage) {
  HANDLE printer = Printer(u"P", kData, kModel902);
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(context->model, FindLoadedModelImage(kData));
  ASSERT_NE(GetUIResDLLName(context), nullptr);
  EXPECT_EQ(std::u16string(GetUIResDLLName(context)), u"KOVAUIUS.DLL");
  EXPECT_TRUE(FindOptionRecord(7, context));
  ReleaseContext(context, CTXR_DESTROY);
}

TEST(ModelCacheName, ExtensionReplacedOrAdded) {
  struct Case {
    const char16_t* path;
    const char16_t* cache;
  } cases[] = {
      {u"C:\\drv\\KOVA1.KMD", u"C:\\drv\\KOVA1.BCS"},
      {u"C:\\drv\\KOVA", u"C:\\drv\\KOVA.BCS"},
      {u"C:\\drv.d\\KOVA", u"C:\\drv.BCS"},  // the last '.' wherever it is
      {u"C:\\drv\\KOVA.", u"C:\\drv\\KOVA.BCS"},
      {u"", u".BCS"},
  };
  for (const Case& c : cases) {
    WCHAR* name = MakeModelCacheName(c.path);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::u16string(name), std::u16string(c.cache));
    FreeMem(name);
  }
  EXPECT_EQ(MakeModelCacheName(nullptr), nullptr);
  const std::u16string tooLong(258, u'a');
  EXPECT_EQ(MakeModelCacheName(tooLong.c_str()), nullptr);
}

}  // namespace
