#include "uikit/values.h"

#include <gtest/gtest.h>

namespace SkinUI {
namespace {

TEST(Values, IntegersAreDecimalWithOptionalSignAndBlanks) {
  int v = 7;
  EXPECT_TRUE(ParseInt(" -42 ", &v));
  EXPECT_EQ(v, -42);
  EXPECT_TRUE(ParseInt("+2147483647", &v));
  EXPECT_EQ(v, 2147483647);
  EXPECT_TRUE(ParseInt("-2147483648", &v));
  EXPECT_EQ(v, -2147483647 - 1);
  for (const char* bad : {"", " ", "-", "12px", "0x10", "1 2", "2147483648", "99999999999999999999999"}) {
    v = 7;
    EXPECT_FALSE(ParseInt(bad, &v)) << bad;
    EXPECT_EQ(v, 0) << bad;
  }
}

TEST(Values, RectanglesSizesAndPointsNeedExactlyTheirNumbers) {
  Rect r;
  ASSERT_TRUE(ParseRect("0,0,0,35", &r));
  EXPECT_EQ(r, (Rect{0, 0, 0, 35}));
  ASSERT_TRUE(ParseRect(" 1, -2 ,3,4 ", &r));
  EXPECT_EQ(r, (Rect{1, -2, 3, 4}));
  for (const char* bad : {"1,2,3", "1,2,3,4,5", "1,,3,4", "1,2,3,", "a,b,c,d", ""}) {
    r = Rect{9, 9, 9, 9};
    EXPECT_FALSE(ParseRect(bad, &r)) << bad;
    EXPECT_EQ(r, Rect{}) << bad;
  }
  Size s;
  ASSERT_TRUE(ParseSize("600,400", &s));
  EXPECT_EQ(s.cx, 600);
  EXPECT_EQ(s.cy, 400);
  EXPECT_FALSE(ParseSize("600", &s));
  EXPECT_FALSE(ParseSize("1,2,3", &s));
  Point p;
  ASSERT_TRUE(ParsePoint("1,1", &p));
  EXPECT_EQ(p.x, 1);
  EXPECT_FALSE(ParsePoint("1;1", &p));
}

TEST(Values, ColoursAreArgbAfterHashOrHexPrefix) {
  uint32_t c = 0;
  ASSERT_TRUE(ParseColour("#FF8991AF", &c));
  EXPECT_EQ(c, 0xFF8991AFu);
  ASSERT_TRUE(ParseColour("0xFFFFFFFF", &c));
  EXPECT_EQ(c, 0xFFFFFFFFu);
  ASSERT_TRUE(ParseColour("#00000000", &c));
  EXPECT_EQ(c, 0u);
  ASSERT_TRUE(ParseColour("#ff8991af", &c));
  EXPECT_EQ(c, 0xFF8991AFu);
  ASSERT_TRUE(ParseColour("#8991AF", &c));
  EXPECT_EQ(c, 0xFF8991AFu);
  for (const char* bad : {"FF8991AF", "#", "0x", "#FF8991A", "#FF8991AF0", "#GG8991AF", "0x-1", "red"}) {
    c = 5;
    EXPECT_FALSE(ParseColour(bad, &c)) << bad;
    EXPECT_EQ(c, 0u) << bad;
  }
}

TEST(Values, BooleansAreTrueOnlyForExactTrue) {
  EXPECT_TRUE(ParseBool("true"));
  for (const char* other : {"True", "TRUE", "1", "yes", " true", "true ", ""}) EXPECT_FALSE(ParseBool(other)) << other;
}

TEST(ImageDescriptors, PlainPathsKeepEitherSlash) {
  ImageDescriptor d;
  ASSERT_TRUE(ParseImageDescriptor("res\\mainWnd\\bg1.png", &d));
  EXPECT_EQ(d.file, "res\\mainWnd\\bg1.png");
  ASSERT_TRUE(ParseImageDescriptor(" res/mainWnd/chDirBtn1.png ", &d));
  EXPECT_EQ(d.file, "res/mainWnd/chDirBtn1.png");
  // An '=' in a name does not make it a key list.
  ASSERT_TRUE(ParseImageDescriptor("res/a=b.png", &d));
  EXPECT_EQ(d.file, "res/a=b.png");
  EXPECT_FALSE(ParseImageDescriptor("   ", &d));
  EXPECT_TRUE(d.IsEmpty());
}

TEST(ImageDescriptors, EveryKeyIsRead) {
  ImageDescriptor d;
  ASSERT_TRUE(ParseImageDescriptor(
      "file='res\\a.png' dest='1,2,3,4' source='0,0,10,20' corner='2,3,4,5' mask='#FFFF00FF' fade='128' "
      "hole='true' xtiled='true' ytiled='false' hsl='true'",
      &d));
  EXPECT_EQ(d.file, "res\\a.png");
  EXPECT_EQ(d.dest, (Rect{1, 2, 3, 4}));
  EXPECT_EQ(d.source, (Rect{0, 0, 10, 20}));
  EXPECT_EQ(d.corner, (Rect{2, 3, 4, 5}));
  EXPECT_TRUE(d.hasMask);
  EXPECT_EQ(d.mask, 0xFFFF00FFu);
  EXPECT_EQ(d.fade, 128);
  EXPECT_TRUE(d.hole);
  EXPECT_TRUE(d.xtiled);
  EXPECT_FALSE(d.ytiled);
  EXPECT_TRUE(d.hsl);

  ASSERT_TRUE(ParseImageDescriptor("res='7' restype='PNG' scale9='1,1,1,1' mask='FF00FF00'", &d));
  EXPECT_EQ(d.res, "7");
  EXPECT_EQ(d.restype, "PNG");
  EXPECT_EQ(d.corner, (Rect{1, 1, 1, 1}));
  EXPECT_EQ(d.mask, 0xFF00FF00u);

  ASSERT_TRUE(ParseImageDescriptor("color='#80102030'", &d));
  EXPECT_TRUE(d.hasColor);
  EXPECT_EQ(d.color, 0x80102030u);
  EXPECT_FALSE(d.IsEmpty());
}

TEST(ImageDescriptors, FadeIsClampedAndUnknownKeysIgnored) {
  ImageDescriptor d;
  ASSERT_TRUE(ParseImageDescriptor("file='a.png' fade='300' glow='yes'", &d));
  EXPECT_EQ(d.fade, 255);
  ASSERT_TRUE(ParseImageDescriptor("file = 'a.png'  fade='-5'", &d));
  EXPECT_EQ(d.file, "a.png");
  EXPECT_EQ(d.fade, 0);
}

TEST(ImageDescriptors, MalformedListsAreRefusedWhole) {
  for (const char* bad : {"file='a.png", "file='a.png' dest", "file='a.png' dest=1,2,3,4", "file='a.png'dest='1,2,3,4'",
                          "file='a.png' dest='1,2'", "file='a.png' color='blue'", "file='a.png' fade='half'",
                          "file='a.png' mask='#12'", "file='a.png' ='x'"}) {
    ImageDescriptor d;
    d.fade = 7;
    EXPECT_FALSE(ParseImageDescriptor(bad, &d)) << bad;
    EXPECT_TRUE(d.file.empty()) << bad;
    EXPECT_EQ(d.fade, 255) << bad;
  }
}

}  // namespace
}  // namespace SkinUI
