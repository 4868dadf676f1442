// The model image: layout of the header and the sections, and the check every image passes.
#include <gtest/gtest.h>

#include <cstring>

#include "image_fixture.h"
#include "model/option_lookup.h"

namespace {

using namespace kovatest;

TEST(ModelImageBuild, EmptyDescriptionGivesAHeaderOnly) {
  auto image = BuildImage("*FileVersion: \"9.02\"\r\n");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImageSize(image.get()), kModelHeaderSize);
}

}  // namespace
