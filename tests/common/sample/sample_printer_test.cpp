// The sample printer end to end in the shared core: its model description, its UI resource
// module and a context built for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "base/ui_strings.h"
#include "base/paths_and_names.h"
#include "fields/dictionary_lookup.h"
#include "model/capability_lists.h"
#include "model/option_lookup.h"
#include "context/ui_pictures.h"
#include "win/paint.h"
#include "build_paths.h"

namespace kovatest {
namespace sample_printer_test {
namespace {

std::string ReadSource(const std::string& relative) {
  std::ifstream in(kovatest::SourceDir() + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The picture files the sample's resource script names.
const char* const kPictures[] = {"page_portrait.bmp", "page_landscape.bmp", "feed_short.bmp", "feed_long.bmp"};

class SampleResources : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(kDataFile, ReadSource("samples/KOVA1.KMD"));
    root_.WriteFile(u"C:\\drv\\KOVAUIus.rc", ReadSource("samples/KOVAUIus.rc"));
    root_.WriteFile(u"C:\\drv\\hand.cur", ReadSource("samples/hand.cur"));
    root_.WriteFile(u"C:\\drv\\hand_pressed.cur", ReadSource("samples/hand_pressed.cur"));
    for (const char* picture : kPictures)
      root_.WriteFile(u"C:\\drv\\" + std::u16string(picture, picture + std::strlen(picture)),
                      ReadSource(std::string("samples/") + picture));
  }
};

TEST_F(SampleResources, UiStringsComeFromTheModelsResourceModule) {
  HANDLE printer = Install(u"Sample", true, {plat::spooler::StringValue(u"HelpFileName", u"KOVAUS.HLP")});
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  ASSERT_NE(context->model, nullptr);
  // The model names "KOVAUIUS.DLL"; the language code of the context goes before the dot.
  EXPECT_EQ(std::u16string(GetUiResourcePath(context)), u"C:\\drv\\KOVAUIus.DLL");
  WCHAR text[64];
  EXPECT_EQ(LoadUiString(context, 13479, text, 64, 0), 8);
  EXPECT_EQ(std::u16string(text), u"Portrait");
  ReleaseContext(context, CTXR_DESTROY);
}

// The bins and papers an application lists carry the names of the resource module.
TEST_F(SampleResources, BinAndPaperNamesAreTheModulesTexts) {
  HANDLE printer = Install(u"Sample", true, {plat::spooler::StringValue(u"HelpFileName", u"KOVAUS.HLP")});
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  constexpr int kSlot = 64;
  auto names = [&](int (*list)(DriverContext*, WCHAR*, int)) {
    std::vector<std::u16string> out;
    const int n = list(context, nullptr, kSlot);
    if (n <= 0) return out;
    std::vector<WCHAR> buffer(static_cast<std::size_t>(n) * kSlot);
    EXPECT_EQ(list(context, buffer.data(), kSlot), n);
    for (int i = 0; i < n; ++i) out.emplace_back(buffer.data() + static_cast<std::size_t>(i) * kSlot);
    return out;
  };
  const auto bins = names(ListBinNames);
  ASSERT_FALSE(bins.empty());
  EXPECT_EQ(bins[0], u"Automatic selection");
  for (const auto& name : bins) EXPECT_FALSE(name.empty());
  const auto papers = names(ListPaperNames);
  ASSERT_FALSE(papers.empty());
  EXPECT_EQ(papers[0], u"Letter");
  for (const char16_t* paper : {u"A4", u"A5", u"Legal"})
    EXPECT_NE(std::find(papers.begin(), papers.end(), paper), papers.end()) << std::string(paper, paper + 2);
  for (const auto& name : papers) EXPECT_FALSE(name.empty());
  ReleaseContext(context, CTXR_DESTROY);
}

// Every alert of the sample's model shows a text of its resource module.
TEST_F(SampleResources, EveryAlertsMessageHasItsText) {
  HANDLE printer = Install(u"Sample", true, {plat::spooler::StringValue(u"HelpFileName", u"KOVAUS.HLP")});
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  std::istringstream model(ReadSource("samples/KOVA1.KMD"));
  std::string line;
  int alerts = 0;
  while (std::getline(model, line)) {
    if (line.rfind("*Alert ", 0) != 0) continue;
    // *Alert N=Name: {{Judge Message Icon Buttons Kind Action}}
    const std::size_t open = line.find("{{");
    ASSERT_NE(open, std::string::npos) << line;
    std::istringstream fields(line.substr(open + 2));
    std::string judge, message;
    fields >> judge >> message;
    SCOPED_TRACE(message);
    const MessageEntry* entry = FindMessageEntryByName(context, message.c_str());
    ASSERT_NE(entry, nullptr);
    WCHAR text[256] = {};
    EXPECT_GT(LoadUiString(context, entry->textId, text, 256, 0), 0) << "string " << entry->textId;
    ++alerts;
  }
  EXPECT_GT(alerts, 0);
  ReleaseContext(context, CTXR_DESTROY);
}

// The file dialogs' titles and the papers' names are texts of their own: no paper's value id
// is a title's string id.
TEST_F(SampleResources, FileDialogTitlesAreNotPaperNames) {
  HANDLE printer = Install(u"Sample", true, {plat::spooler::StringValue(u"HelpFileName", u"KOVAUS.HLP")});
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  constexpr int kSlot = 64;
  const int n = ListPaperNames(context, nullptr, kSlot);
  ASSERT_GT(n, 0);
  std::vector<WCHAR> buffer(static_cast<std::size_t>(n) * kSlot);
  ASSERT_EQ(ListPaperNames(context, buffer.data(), kSlot), n);
  std::vector<std::u16string> papers;
  for (int i = 0; i < n; ++i) papers.emplace_back(buffer.data() + static_cast<std::size_t>(i) * kSlot);
  for (DWORD title : {5002u, 5003u, 5004u, 5008u, 5009u, 5010u}) {
    WCHAR text[kSlot] = {};
    LoadUiString(context, title, text, kSlot, 0);
    EXPECT_FALSE(std::u16string(text).empty()) << title;
    EXPECT_EQ(std::find(papers.begin(), papers.end(), std::u16string(text)), papers.end()) << title;
  }
  ReleaseContext(context, CTXR_DESTROY);
}

// An alert action is chosen by the answer of its alert's box (its key is compared with the
// MessageBoxW result): every action of the sample's alerts is keyed by an answer its box can
// give, so accepting or refusing runs it.
TEST_F(SampleResources, EveryAlertActionIsKeyedByAnAnswerOfItsBox) {
  HANDLE printer = Install(u"Sample", true, {plat::spooler::StringValue(u"HelpFileName", u"KOVAUS.HLP")});
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  ASSERT_NE(context->model, nullptr);
  // The answers each buttons word can give (MB_OK ... MB_RETRYCANCEL).
  const std::vector<std::vector<int>> answers = {{IDOK},
                                                 {IDOK, IDCANCEL},
                                                 {IDABORT, IDRETRY, IDIGNORE},
                                                 {IDYES, IDNO, IDCANCEL},
                                                 {IDYES, IDNO},
                                                 {IDRETRY, IDCANCEL}};
  int actions = 0;
  int guard = 10000;
  for (ImageRef option = FirstModelOption(context->model); option && guard--; option = OptionNext(option)) {
    const ImageRef block = OptionCondition(option);
    if (!block) continue;
    int alertGuard = 100;
    for (ImageRef alertEntry = block.Tagged(cond::kAlerts); alertEntry && alertGuard--;
         alertEntry = alertEntry.Tagged(alert::kNext)) {
      const WORD buttons = alertEntry.U16(alert::kButtons);
      ASSERT_LT(buttons, answers.size());
      int actionGuard = 100;
      for (ImageRef a = alertEntry.Tagged(alert::kAlertActions); a && actionGuard--; a = a.Tagged(alertaction::kNext)) {
        const int key = a.U16(alertaction::kFeatureItemId);
        SCOPED_TRACE("alert " + std::to_string(alertEntry.U16(alert::kMessageId)));
        EXPECT_NE(std::count(answers[buttons].begin(), answers[buttons].end(), key), 0)
            << "key " << key;
        EXPECT_TRUE(static_cast<bool>(a.Tagged(alertaction::kTransacts)));
        ++actions;
      }
    }
  }
  EXPECT_GT(actions, 0);
  ReleaseContext(context, CTXR_DESTROY);
}

// Every value the sample's model offers (the items of its list options) has its display text
// in the resource module at its value id, in words: a list shows no value id in its place.
TEST_F(SampleResources, EveryOfferedValueHasItsText) {
  HANDLE printer = Install(u"Sample", true, {plat::spooler::StringValue(u"HelpFileName", u"KOVAUS.HLP")});
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  ASSERT_NE(context->model, nullptr);
  std::vector<WORD> missing;
  int values = 0;
  int guard = 10000;
  for (ImageRef option = FirstModelOption(context->model); option && guard--; option = OptionNext(option)) {
    const WORD type = OptionRawType(option) & 0xCFFF;
    if (!(type & 1) || type == 0x0401) continue;  // list options; a font table lists fonts
    int itemGuard = 1000;
    for (ImageRef item = OptionValues(option); item && itemGuard--; item = ItemNext(item)) {
      const WORD valueId = ItemValueId(item);
      if (!valueId) continue;
      ++values;
      WCHAR text[256] = {};
      const int length = LoadUiString(context, valueId, text, 256, 0);
      const std::u16string shown(text);
      const bool digits = !shown.empty() && std::all_of(shown.begin(), shown.end(), [](char16_t c) {
        return c >= u'0' && c <= u'9';
      });
      if (length <= 0 || digits) missing.push_back(valueId);
    }
  }
  EXPECT_GT(values, 0);
  std::sort(missing.begin(), missing.end());
  missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
  std::string ids;
  for (WORD id : missing) ids += " " + std::to_string(id);
  EXPECT_TRUE(missing.empty()) << "values without a text:" << ids;
  ReleaseContext(context, CTXR_DESTROY);
}

// The pictures the pages show come from the resource module: the page previews (a portrait
// and a landscape page) and the orientation marks of the tray labels, each at its size.
TEST_F(SampleResources, ThePagesPicturesLoadAtTheirSizes) {
  HANDLE printer = Install(u"Sample", true, {plat::spooler::StringValue(u"HelpFileName", u"KOVAUS.HLP")});
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  struct Case {
    DWORD id;
    LONG width, height;
  };
  for (const Case& c : {Case{6001, 50, 69}, Case{6046, 50, 69}, Case{6002, 68, 50}, Case{6044, 68, 50},
                        Case{6193, 16, 16}, Case{6194, 16, 16}}) {
    SCOPED_TRACE(c.id);
    HBITMAP bitmap = LoadPictureBitmap(context, c.id);
    ASSERT_NE(bitmap, nullptr);
    BITMAP b{};
    ASSERT_NE(GetObjectW(bitmap, sizeof b, &b), 0);
    EXPECT_EQ(b.bmWidth, c.width);
    EXPECT_EQ(b.bmHeight < 0 ? -b.bmHeight : b.bmHeight, c.height);
    DeleteObject(bitmap);
  }
  ReleaseContext(context, CTXR_DESTROY);
}

}  // namespace
}  // namespace sample_printer_test
}  // namespace kovatest
