// Built twice: into a program without a skin and into one whose skin
// resource is empty. Neither finds content.
#include <gtest/gtest.h>

#include "uikit/package.h"
#include "uikit/resource.h"

namespace SkinUI {
namespace {

TEST(NoSkin, FindsNothingAndOpensNothing) {
  std::string bytes = "stale";
  EXPECT_FALSE(FindEmbeddedResource(kSkinResourceType, kSkinResourceId, &bytes));
  EXPECT_TRUE(bytes.empty());
  std::string error;
  EXPECT_EQ(OpenPackageOnce(bytes.data(), bytes.size(), &error), nullptr);
  EXPECT_EQ(error, "Error opening zip file");
  EXPECT_EQ(OpenedPackage(), nullptr);
  EXPECT_EQ(OpenEmbeddedSkinPackage(&error), nullptr);
  EXPECT_EQ(error, "Error opening zip file");
  EXPECT_EQ(OpenedPackage(), nullptr);
}

}  // namespace
}  // namespace SkinUI
