// Helpers of the model description tests: parsing texts and fixtures, and reading the
// records of a parse by name.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/model_names.h"
#include "model/model_parse.h"
#include "model/statement_dispatch.h"
#include "test_root.h"

namespace kovatest {

struct ParseDeleter {
  void operator()(ModelParse* p) const { FreeModelParse(p); }
};
using ParsePtr = std::unique_ptr<ModelParse, ParseDeleter>;

inline ParsePtr ParseText(const std::string& text) {
  return ParsePtr(ParseModelBytes(reinterpret_cast<const BYTE*>(text.data()), static_cast<DWORD>(text.size())));
}

inline std::string ReadFixture(const std::string& name) {
  std::ifstream in(FixturePath("model/" + name), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline ParsePtr ParseFixture(const std::string& name) {
  const std::string text = ReadFixture(name);
  EXPECT_FALSE(text.empty()) << name;
  return ParseText(text);
}

inline WORD ValueId(const char* name) {
  WORD id = 0;
  EXPECT_TRUE(FindValueIdByName(name, &id)) << name;
  return id;
}

inline const ControlNameEntry* Feature(const char* name) {
  const ControlNameEntry* e = FindFeatureByName(name);
  EXPECT_NE(e, nullptr) << name;
  return e;
}

// The option records of a feature in all-options order.
inline std::vector<OptionRecord*> OptionsOf(const ModelParse* parse, const char* feature) {
  std::vector<OptionRecord*> out;
  const ControlNameEntry* e = Feature(feature);
  if (!e || !parse) return out;
  for (OptionRecord* r = parse->header.slots[0]; r; r = r->next) {
    if (r->itemId == e->itemId) out.push_back(r);
  }
  return out;
}

inline OptionRecord* OptionOf(const ModelParse* parse, const char* feature) {
  auto all = OptionsOf(parse, feature);
  return all.empty() ? nullptr : all.front();
}

inline std::vector<OptionItem*> ItemsOf(const OptionRecord* r) {
  std::vector<OptionItem*> out;
  if (!r || r->form != ValueForm::Items) return out;
  for (auto* i = static_cast<OptionItem*>(r->values); i; i = i->next) out.push_back(i);
  return out;
}

inline std::string Text(const char* s) { return s ? std::string(s) : std::string("<null>"); }

}  // namespace kovatest
