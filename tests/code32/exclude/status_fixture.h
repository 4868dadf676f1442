// A settings-API printer on the unit tests' model with texts of the model replaced, for the
// status items' tests, and the records, settings and chapter lists those tests compare.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "api_frame.h"
#include "constrix_fixture.h"
#include "context/chapter_list.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "fields/product_record.h"
#include "plat/system.h"
#include "settings_snapshots.h"
#include "stored/module_services.h"

namespace kovatest {

class StatusPrinterTest : public ApiPrinterTest {
 protected:
  void TearDown() override {
    plat::FailAllocationsOfSize(0);
    ApiPrinterTest::TearDown();
  }
  // The unit tests' model with texts replaced, under a driver of its own; its handle at
  // `version`.
  DriverContext* EnableEdited(std::int32_t version, const std::vector<std::pair<std::string, std::string>>& edits = {},
                              int functions = -1) {
    std::string model = FixtureText(kPrinterModel);
    for (const auto& [from, to] : edits) {
      const std::size_t at = model.find(from);
      EXPECT_NE(at, std::string::npos) << from;
      if (at == std::string::npos) return nullptr;
      model.replace(at, from.size(), to);
    }
    const std::u16string index(1, static_cast<char16_t>(u'A' + edited_++));
    const std::u16string file = u"C:\\drv\\STAT" + index + u".KPD";
    root_.WriteFile(file, model);
    const std::u16string name = u"Api Status " + index;
    InstallPrinter(name, PrinterSpec::OwnDriver(u"KOVA Status Driver " + index, file));
    WriteApiVersion(16, functions);
    DriverContext* handle = DoEnable(std::string(name.begin(), name.end()).c_str());
    if (!handle) return nullptr;
    const ApiInitInfo info{0, version};
    DoInit(1, &info);
    return handle;
  }
  int edited_ = 0;

  static std::vector<BYTE> Record(DWORD kind, DWORD value, DWORD size = 32) {
    std::vector<BYTE> record(size, 0);
    std::memcpy(record.data(), &kind, 4);
    std::memcpy(record.data() + 4, &value, 4);
    return record;
  }
  static DWORD Word(const std::vector<BYTE>& record, DWORD offset) {
    DWORD value = 0;
    std::memcpy(&value, record.data() + offset, 4);
    return value;
  }
  // Device-mode, area 3 and the chapter array as they stand.
  static std::vector<BYTE> Devmode(DriverContext* handle) {
    return {handle->settings, handle->settings + GetTotalDevmodeSize()};
  }
  static std::vector<BYTE> WorkFields(DriverContext* handle) {
    BYTE* copy = SnapshotWorkFields(handle);
    std::vector<BYTE> bytes(copy, copy + kWorkFieldsBytes);
    RestoreWorkFieldsSnapshot(handle, copy, 0);
    return bytes;
  }
  static std::vector<BYTE> Chapters(DriverContext* handle) {
    int capacity = 0;
    auto* list = reinterpret_cast<BYTE*>(ChapterArray(handle, &capacity));
    return {list, list + capacity * sizeof(ChapterEntry)};
  }
  static void FillChapters(DriverContext* handle, int count) {
    WriteFieldRawById(handle, fid::wdmChapterNum, static_cast<DWORD>(count));
    int capacity = 0;
    ChapterEntry* list = ChapterArray(handle, &capacity);
    for (int i = 0; i < count && i < capacity; ++i) {
      list[i].pageNumber = static_cast<WORD>(3 + i * 2);
      list[i].trayValue = static_cast<WORD>(i + 1);
      list[i].kind = 1;
    }
  }
};

}  // namespace kovatest
