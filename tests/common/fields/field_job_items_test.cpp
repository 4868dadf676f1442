// Job-control item bits and numbers name their settings fields.
#include <gtest/gtest.h>

#include <string>

#include "fields/field_job_items.h"
#include "fields/field_table.h"

namespace {

std::string NameOf(WORD id) {
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    if (GetBuiltInFields()[i].id == id) {
      std::string out;
      for (const WCHAR* s = GetBuiltInFields()[i].name; s && *s; ++s) out.push_back(static_cast<char>(*s));
      return out;
    }
  }
  return "";
}

TEST(JobItems, BitsAndNumbersNameTheirFields) {
  const struct {
    int number;
    DWORD bit;
    const char* name;
  } cases[] = {
      {1, 0x1, "kdmUserCode"},     {2, 0x2, "kdmOwnerName"},       {3, 0x4, "kdmJOBPassword"},
      {4, 0x8, "kdmUserID"},       {5, 0x10, "kdmDocumentName"},   {6, 0x20, "kdmTelNo"},
      {7, 0x40, "kdmTelLine"},     {8, 0x80, "kdmStoredPassword"}, {9, 0x800, "wdmAuthenticationUserName"},
      {10, 0x1000, "wdmAuthenticationPassword"}, {11, 0x2000, "wdmAuthenticationNetworkKey"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NameOf(GetJobItemFieldByNumber(c.number)), c.name);
    EXPECT_EQ(GetJobItemFieldByBit(c.bit), GetJobItemFieldByNumber(c.number));
  }
  for (DWORD bit : {0x100u, 0x200u, 0x400u, 0x3u, 0u}) EXPECT_EQ(GetJobItemFieldByBit(bit), 0);
  EXPECT_EQ(GetJobItemFieldByNumber(0), 0);
  EXPECT_EQ(GetJobItemFieldByNumber(12), 0);
}

}  // namespace
