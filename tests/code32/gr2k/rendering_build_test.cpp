// The rendering build of the common code: the same calls made once as the interface DLL and
// once as the rendering DLL, each difference shown by one case.
#include "context/context_create.h"
#include "stored/devmode_merge.h"
#include "base/driver_context.h"
#include "context/paper_sizes.h"
#include "fields/field_table.h"
#include "model/free_size_list.h"
#include "in_process_job.h"
#include "win/registry.h"

namespace rendara::test {
namespace {

class RenderingBuild : public DeviceJob {
 protected:
  void TearDown() override {
    SetDeliverable(Deliverable::Rendering);
    DeviceJob::TearDown();
  }
  DriverContext* Create(Deliverable as) {
    SetDeliverable(as);
    EvictContextCache(1);
    DriverContext* context = CreateContextForPrinter(printer_, nullptr, 0, CTXK_RENDERING_REQUEST);
    EXPECT_NE(context, nullptr);
    return context;
  }
  void Release(DriverContext* context) { ReleaseContext(context, CTXR_DESTROY); }
};

TEST_F(RenderingBuild, ContextsKeepNoPageTable) {
  for (Deliverable as : {Deliverable::Interface, Deliverable::Rendering}) {
    DriverContext* context = Create(as);
    ASSERT_NE(context, nullptr);
    if (as == Deliverable::Rendering) {
      EXPECT_EQ(context->pages.count, 0);
      EXPECT_EQ(context->pages.records, nullptr);
    } else {
      EXPECT_GT(context->pages.count, 0);
    }
    Release(context);
  }
}

// The interface build's merge records the installed suite tools in the state bytes; the
// rendering build's leaves them as the job's device-mode brings them.
TEST_F(RenderingBuild, MergeLeavesTheSuiteToolStateBytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\VANTE\\Suitemix\\Preview", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            0);
  const DWORD version = 1;
  RegSetValueExW(key, u"VERSION", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&version), sizeof version);
  RegCloseKey(key);
  for (Deliverable as : {Deliverable::Interface, Deliverable::Rendering}) {
    DriverContext* context = Create(as);
    ASSERT_NE(context, nullptr);
    WriteFieldRawById(context, fid::KPD_kdmPLInstalled, 0);
    ASSERT_EQ(MergeDevmode(context, nullptr, 0x20008), 1);
    EXPECT_EQ(ReadFieldRawById(context, fid::KPD_kdmPLInstalled), as == Deliverable::Rendering ? 0u : 1u);
    Release(context);
  }
}

// A source-side user paper taken from the public width and length: the interface build turns
// it for landscape, the rendering build returns it as it stands.
TEST_F(RenderingBuild, UserPaperSizeFromThePublicFieldsIsNotTurned) {
  for (Deliverable as : {Deliverable::Interface, Deliverable::Rendering}) {
    DriverContext* context = Create(as);
    ASSERT_NE(context, nullptr);
    WriteFieldRawById(context, fid::dmFields, ReadFieldRawById(context, fid::dmFields) & ~DM_PAPERSIZE);
    WriteFieldRawById(context, fid::kdmFuncSelectFreeShortOver, 0);
    WriteFieldRawById(context, fid::dmPaperWidth, 1500);
    WriteFieldRawById(context, fid::dmPaperLength, 2500);
    WriteFieldRawById(context, fid::dmOrientation, DMORIENT_LANDSCAPE);
    POINTL size{};
    ASSERT_EQ(GetUserPaperSize(context, &size, 256, 1), 1);
    if (as == Deliverable::Rendering) {
      EXPECT_EQ(size.x, 1500);
      EXPECT_EQ(size.y, 2500);
    } else {
      EXPECT_EQ(size.x, 2500);
      EXPECT_EQ(size.y, 1500);
    }
    Release(context);
  }
}

// An incoming custom size that names a user paper code together with its lengths: only the
// rendering build takes it as a custom size.
TEST_F(RenderingBuild, CustomSizeWithAUserPaperCode) {
  DEVMODEW in{};
  in.dmSpecVersion = 0x401;
  in.dmSize = sizeof(DEVMODEW);
  in.dmFields = DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
  in.dmPaperSize = 384;
  in.dmPaperLength = 1777;
  in.dmPaperWidth = 1333;
  for (Deliverable as : {Deliverable::Interface, Deliverable::Rendering}) {
    DriverContext* context = Create(as);
    ASSERT_NE(context, nullptr);
    WriteFieldRawById(context, fid::dmOrientation, DMORIENT_PORTRAIT);
    ASSERT_EQ(MergeDevmode(context, &in, 0x20008), 1);
    if (as == Deliverable::Rendering) {
      EXPECT_EQ(ReadFieldRawById(context, fid::dmPaperLength), 1777u);
      EXPECT_EQ(ReadFieldRawById(context, fid::dmPaperWidth), 1333u);
    } else {
      EXPECT_NE(ReadFieldRawById(context, fid::dmPaperLength), 1777u);
    }
    Release(context);
  }
}

// A free-size record made from the paper fields: the interface build names it by the entry's
// UI string with its size, the rendering build by the user's own name; both from the entry
// fields (915-919) and from the current-paper fields (920-924).
TEST_F(RenderingBuild, FreeSizeRecordIsNamedByItsUserName) {
  struct Case {
    WORD first;
    void (*make)(DriverContext*, int);
  } const cases[] = {{fid::wdmFreeSizeName, FeaturesToFreeSizeRecord},
                     {fid::wdmSrcFreeSizeName, CurrentToFreeSizeRecord}};
  for (const Case& c : cases) {
    for (Deliverable as : {Deliverable::Interface, Deliverable::Rendering}) {
      SCOPED_TRACE(std::to_string(c.first) + (as == Deliverable::Rendering ? " rendering" : " interface"));
      DriverContext* context = Create(as);
      ASSERT_NE(context, nullptr);
      ASSERT_NE(context->work, nullptr);
      ASSERT_NE(SetFieldString(context, FindFieldById(context, c.first), u"Postcard"), nullptr);
      WriteFieldRawById(context, static_cast<WORD>(c.first + 1), 4724);
      WriteFieldRawById(context, static_cast<WORD>(c.first + 2), 6992);
      WriteFieldRawById(context, static_cast<WORD>(c.first + 3), 3);
      WriteFieldRawById(context, static_cast<WORD>(c.first + 4), 2);
      c.make(context, 1);
      const FreeSizeRecord& record = context->work->freeSizes[1];
      EXPECT_STREQ(record.userName, "Postcard");
      EXPECT_EQ(record.tray, 3);
      EXPECT_EQ(record.orientation, 2);
      if (as == Deliverable::Rendering) {
        EXPECT_STREQ(record.displayName, "Postcard");
        EXPECT_STREQ(record.listName, "Postcard");
      } else {
        EXPECT_STRNE(record.displayName, "Postcard");
        EXPECT_STREQ(record.listName, record.displayName);
      }
      Release(context);
    }
  }
}

}  // namespace
}  // namespace rendara::test
