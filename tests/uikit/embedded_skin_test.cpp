#include <gtest/gtest.h>

#include "uikit/markup.h"
#include "uikit/package.h"
#include "uikit/resource.h"

namespace SkinUI {
namespace {

TEST(EmbeddedSkin, IsFoundOpenedAndRead) {
  std::string archive;
  ASSERT_TRUE(FindEmbeddedResource(kSkinResourceType, kSkinResourceId, &archive));
  ASSERT_GT(archive.size(), 32u);
  EXPECT_EQ(archive.compare(0, 6, "7z\xBC\xAF\x27\x1C"), 0);
  std::string error;
  SkinPackage* package = OpenEmbeddedSkinPackage(&error);
  ASSERT_NE(package, nullptr) << error;
  EXPECT_EQ(OpenedPackage(), package);
  EXPECT_EQ(OpenEmbeddedSkinPackage(&error), package);
  std::string layout;
  ASSERT_TRUE(package->ReadEntry("MainWnd.xml", &layout, &error)) << error;
  MarkupNode root;
  ASSERT_TRUE(ParseMarkup(layout, &root, &error)) << error;
  EXPECT_EQ(*root.Attribute("size"), "600,400");
}

TEST(EmbeddedSkin, OtherIdsAndTypesAreNotFound) {
  std::string bytes = "stale";
  EXPECT_FALSE(FindEmbeddedResource(kSkinResourceType, 148, &bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(FindEmbeddedResource("ZIPRE", kSkinResourceId, &bytes));
  EXPECT_FALSE(FindEmbeddedResource(nullptr, kSkinResourceId, &bytes));
}

}  // namespace
}  // namespace SkinUI
