// Helpers of the model image tests: images built from texts and fixtures, raw image bytes,
// and a context with its own field table and settings that evaluates rules on an image.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "field_fixture.h"
#include "model_test_util.h"
#include "base/memory.h"
#include "model/model_image.h"
#include "model/model_image_build.h"
#include "model/rule_eval.h"

namespace kovatest {

struct ImageDeleter {
  void operator()(ModelImage* p) const { FreeMem(p); }
};
using ImagePtr = std::unique_ptr<ModelImage, ImageDeleter>;

// The image of a text (the parse is freed by the build).
inline ImagePtr BuildImage(const std::string& text) {
  ModelParse* parse = ParseModelBytes(reinterpret_cast<const BYTE*>(text.data()), static_cast<DWORD>(text.size()));
  EXPECT_NE(parse, nullptr);
  return ImagePtr(CopyModelImage(parse));
}

inline ImagePtr BuildFixtureImage(const std::string& name) { return BuildImage(ReadFixture(name)); }

// The image's bytes (the total size of them, without the name copies).
inline std::vector<BYTE> Bytes(const ModelImage* image) {
  const BYTE* b = ImageBytes(image);
  return std::vector<BYTE>(b, b + ImageSize(image));
}

// A field context with a model image and an evaluation stack.
class RuleContext : public FieldContext {
 public:
  explicit RuleContext(const ModelImage* image) {
    get()->model = image;
    EXPECT_EQ(CreateEvalStack(get()), 0);
  }
  ~RuleContext() { DestroyEvalStack(get()); }
};

}  // namespace kovatest
