// A context for the settings checks: its own field table, work area and settings buffers
// (from the field tests' fixture), a copy of the product record, an evaluation stack and,
// when given, the model image of a model description text.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "field_fixture.h"
#include "model_test_util.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "fields/product_record.h"
#include "model/model_image_build.h"
#include "model/option_lookup.h"
#include "model/rule_eval.h"

namespace kovatest {

class ModelContext {
 public:
  // Each {from, to} pair moves the option of feature `from` to feature `to`, so that
  // fields the dictionary gives no name (dmPaperLength, dmPrintQuality...) get an option.
  explicit ModelContext(const std::string& modelText = std::string(),
                        std::vector<std::pair<WORD, WORD>> retarget = {}) {
    product_ = *GetProductRecord();
    ctx()->product = &product_;
    if (!modelText.empty()) {
      ParsePtr parse = ParseText(modelText);
      EXPECT_NE(parse, nullptr);
      for (const auto& [from, to] : retarget) {
        OptionRecord* record = parse ? parse->header.slots[FeatureSlot(from)] : nullptr;
        EXPECT_NE(record, nullptr) << from;
        if (!record) continue;
        parse->header.slots[FeatureSlot(from)] = nullptr;
        record->featureId = to;
        parse->header.slots[FeatureSlot(to)] = record;
      }
      image_ = CopyModelImage(parse.release());
      EXPECT_NE(image_, nullptr);
      ctx()->model = image_;
    }
    EXPECT_EQ(CreateEvalStack(ctx()), 0);
  }
  ~ModelContext() {
    DestroyEvalStack(ctx());
    FreeMem(image_);
  }
  ModelContext(const ModelContext&) = delete;
  ModelContext& operator=(const ModelContext&) = delete;

  DriverContext* ctx() { return base_.get(); }
  WorkArea& work() { return base_.work(); }
  BYTE* settings() { return base_.settings(); }
  SettingField* field(WORD id) { return base_.field(id); }
  ProductRecord& product() { return product_; }

  DWORD Raw(WORD id) { return ReadFieldRawById(ctx(), id); }
  std::int32_t Signed(WORD id) { return static_cast<std::int32_t>(Raw(id)); }
  void SetRaw(WORD id, DWORD value) { WriteFieldRawById(ctx(), id, value); }
  DWORD Value(WORD id) { return GetFieldValueById(ctx(), id); }
  // The value id of a value name of the dictionary.
  static WORD Id(const char* name) { return ValueId(name); }

 private:
  FieldContext base_;
  ProductRecord product_{};
  ModelImage* image_ = nullptr;
};

// "*OpenUI *<feature>: PickOne" with the values and default given, as model text.
inline std::string PickOne(const std::string& feature, std::initializer_list<const char*> values,
                           const char* defaultValue, const char* type = "PickOne") {
  std::string s = "*OpenUI *" + feature + ": " + type + "\r\n";
  if (defaultValue) s += "*Default" + feature + ": " + defaultValue + "\r\n";
  for (const char* v : values) s += "*" + feature + " " + v + ": \"x\"\r\n";
  s += "*CloseUI\r\n";
  return s;
}

inline std::string Numeric(const std::string& feature, int def, int minimum, int maximum) {
  return "*OpenUI *" + feature + ": Numeric\r\n*NumericValue: \"1 " + std::to_string(def) + " " +
         std::to_string(minimum) + " " + std::to_string(maximum) + " 0 0\"\r\n*CloseUI\r\n";
}

inline std::string Boolean(const std::string& feature, bool def) {
  return "*OpenUI *" + feature + ": Boolean\r\n*Default" + feature + ": " + (def ? "True" : "False") +
         "\r\n*CloseUI\r\n";
}

}  // namespace kovatest
