// The display scale's arithmetic and the X resources' text, as xrdb and
// desktop settings daemons leave it on the root window.
#include <gtest/gtest.h>

#include <climits>

#include "uikit/display_dpi.h"

namespace {

using SkinUI::ClampDpi;
using SkinUI::ParseXftDpi;
using SkinUI::ScaleLength;

TEST(ClampDpi, KeepsOneToThreeTimesAndTakesUnknownAsOne) {
  EXPECT_EQ(ClampDpi(96), 96);
  EXPECT_EQ(ClampDpi(144), 144);
  EXPECT_EQ(ClampDpi(288), 288);
  EXPECT_EQ(ClampDpi(289), 288);
  EXPECT_EQ(ClampDpi(480), 288);
  EXPECT_EQ(ClampDpi(72), 96);
  EXPECT_EQ(ClampDpi(0), 96);
  EXPECT_EQ(ClampDpi(-192), 96);
  EXPECT_EQ(ClampDpi(INT_MIN), 96);
}

TEST(ScaleLength, RoundsHalfAwayFromZeroAtEveryScale) {
  EXPECT_EQ(ScaleLength(10, 96), 10);
  EXPECT_EQ(ScaleLength(10, 192), 20);
  EXPECT_EQ(ScaleLength(7, 288), 21);
  // 1.25x: 1 -> 1.25, 2 -> 2.5, 3 -> 3.75
  EXPECT_EQ(ScaleLength(1, 120), 1);
  EXPECT_EQ(ScaleLength(2, 120), 3);
  EXPECT_EQ(ScaleLength(3, 120), 4);
  // 1.5x: odd values land on a half
  EXPECT_EQ(ScaleLength(1, 144), 2);
  EXPECT_EQ(ScaleLength(5, 144), 8);
  // Offsets left or above mirror those right or below, so a rectangle
  // keeps its size wherever it sits.
  EXPECT_EQ(ScaleLength(-1, 144), -2);
  EXPECT_EQ(ScaleLength(-5, 144), -8);
  EXPECT_EQ(ScaleLength(-2, 120), -3);
  EXPECT_EQ(ScaleLength(-1, 120), -1);
  EXPECT_EQ(ScaleLength(0, 288), 0);
}

TEST(ScaleLength, LargeValuesNeitherOverflowNorWrap) {
  // value * dpi passes int's range here; the result still fits.
  EXPECT_EQ(ScaleLength(700000000, 120), 875000000);
  EXPECT_EQ(ScaleLength(-700000000, 120), -875000000);
  EXPECT_EQ(ScaleLength(INT_MAX, 96), INT_MAX);
  EXPECT_EQ(ScaleLength(INT_MIN, 96), INT_MIN);
  EXPECT_EQ(ScaleLength(INT_MAX, 288), INT_MAX);
  EXPECT_EQ(ScaleLength(INT_MIN, 288), INT_MIN);
}

TEST(ParseXftDpi, ReadsTheEntryAmongADesktopsResources) {
  // As xrdb -query prints a GNOME session's database: sorted, tab after
  // the colon.
  const char* gnome =
      "*customization:\t-color\n"
      "Xcursor.size:\t48\n"
      "Xcursor.theme:\tAdwaita\n"
      "Xft.antialias:\t1\n"
      "Xft.dpi:\t192\n"
      "Xft.hinting:\t1\n"
      "Xft.hintstyle:\thintslight\n"
      "Xft.rgba:\tnone\n";
  EXPECT_EQ(ParseXftDpi(gnome), 192);
  EXPECT_EQ(ParseXftDpi("Xft.dpi:\t144"), 144) << "the last line without its newline";
  EXPECT_EQ(ParseXftDpi("Xft.dpi: 120\n"), 120);
  EXPECT_EQ(ParseXftDpi("  Xft.dpi  :   168  \n"), 168);
  EXPECT_EQ(ParseXftDpi("Xft.dpi:\t96\r\n"), 96);
}

TEST(ParseXftDpi, RoundsFractionsHalfUp) {
  EXPECT_EQ(ParseXftDpi("Xft.dpi: 144.5\n"), 145);
  EXPECT_EQ(ParseXftDpi("Xft.dpi: 144.49\n"), 144);
  EXPECT_EQ(ParseXftDpi("Xft.dpi: 143.999\n"), 144);
  EXPECT_EQ(ParseXftDpi("Xft.dpi: 120.\n"), 120);
  EXPECT_EQ(ParseXftDpi("Xft.dpi: 0.7\n"), 1);
}

TEST(ParseXftDpi, NoEntryIsZero) {
  EXPECT_EQ(ParseXftDpi(nullptr), 0);
  EXPECT_EQ(ParseXftDpi(""), 0);
  EXPECT_EQ(ParseXftDpi("\n\n"), 0);
  EXPECT_EQ(ParseXftDpi("Xft.antialias:\t1\nXft.hinting:\t1\n"), 0);
}

TEST(ParseXftDpi, OtherKeysThatMentionDpiAreNotIt) {
  EXPECT_EQ(ParseXftDpi("*dpi:\t192\n"), 0);
  EXPECT_EQ(ParseXftDpi("Xft*dpi:\t192\n"), 0);
  EXPECT_EQ(ParseXftDpi("Xft.dpiScale:\t2\n"), 0);
  EXPECT_EQ(ParseXftDpi("Xft.dpi2:\t192\n"), 0);
  EXPECT_EQ(ParseXftDpi("MyXft.dpi:\t192\n"), 0);
  EXPECT_EQ(ParseXftDpi("xft.dpi:\t192\n"), 0) << "resource names are case-sensitive";
  EXPECT_EQ(ParseXftDpi("Emacs.Xft.dpi:\t192\n"), 0);
  EXPECT_EQ(ParseXftDpi("! Xft.dpi:\t192\n"), 0) << "a comment";
  EXPECT_EQ(ParseXftDpi("Xterm.dpi:\t200\nXft.dpi:\t120\nGdk.dpi:\t300\n"), 120);
  // A value mentioning the name is no entry either.
  EXPECT_EQ(ParseXftDpi("Foo.bar:\tXft.dpi: 192\n"), 0);
}

TEST(ParseXftDpi, GarbageValuesAreZero) {
  for (const char* text : {"Xft.dpi:\n", "Xft.dpi:\t\n", "Xft.dpi:\tlarge\n", "Xft.dpi:\t192dpi\n",
                           "Xft.dpi:\t-192\n", "Xft.dpi:\t+192\n", "Xft.dpi:\t0\n", "Xft.dpi:\t1.5e2\n",
                           "Xft.dpi:\t.5\n", "Xft.dpi:\t1 92\n", "Xft.dpi:\t0x60\n", "Xft.dpi\t192\n",
                           "Xft.dpi:\t99999999999999999999999\n"}) {
    EXPECT_EQ(ParseXftDpi(text), 0) << text;
  }
}

TEST(ParseXftDpi, TheLastOfRepeatedEntriesWins) {
  EXPECT_EQ(ParseXftDpi("Xft.dpi:\t96\nXft.dpi:\t192\n"), 192);
  EXPECT_EQ(ParseXftDpi("Xft.dpi:\t192\nXterm.dpi:\t1\nXft.dpi:\t144\n"), 144);
  // As in Xlib's database, a later entry replaces the earlier one even
  // when its value is unusable.
  EXPECT_EQ(ParseXftDpi("Xft.dpi:\t192\nXft.dpi:\tnone\n"), 0);
}

}  // namespace
