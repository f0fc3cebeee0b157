#include "uikit/markup.h"

#include <gtest/gtest.h>

namespace SkinUI {
namespace {

TEST(Markup, ReadsALayoutWithItsProlog) {
  const std::string text =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
      "<!-- the main window -->\n"
      "<Window size=\"600,400\" caption='0,0,0,35'>\n"
      "  <Font id=\"0\" name=\"\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91\" size=\"12\"/>\n"
      "  <!-- <Button name=\"commented\"/> -->\n"
      "  <VerticalLayout>text is skipped<![CDATA[<not a tag>]]>\n"
      "    <Label name=\"a\" text=\"&lt;&amp;&gt;&quot;&apos;&#65;&#x4E2D;\" isstretchfore=\"1\" isstretchfore=\"2\" />\n"
      "    <Button name=\"b\"></Button >\n"
      "  </VerticalLayout>\n"
      "</Window>\n"
      "<!-- trailing -->\n";
  MarkupNode root;
  std::string error = "x";
  ASSERT_TRUE(ParseMarkup(text, &root, &error)) << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(root.name, "Window");
  ASSERT_EQ(root.attributes.size(), 2u);
  EXPECT_EQ(root.attributes[0].first, "size");
  EXPECT_EQ(*root.Attribute("caption"), "0,0,0,35");
  EXPECT_EQ(root.Attribute("Caption"), nullptr);
  ASSERT_EQ(root.children.size(), 2u);
  EXPECT_EQ(*root.children[0].Attribute("name"), "\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91");
  const MarkupNode& layout = root.children[1];
  ASSERT_EQ(layout.children.size(), 2u);
  const MarkupNode& label = layout.children[0];
  EXPECT_EQ(*label.Attribute("text"), "<&>\"'A\xE4\xB8\xAD");
  // Both occurrences stay, in order; the first is what Attribute answers.
  ASSERT_EQ(label.attributes.size(), 4u);
  EXPECT_EQ(label.attributes[2].second, "1");
  EXPECT_EQ(label.attributes[3].second, "2");
  EXPECT_EQ(*label.Attribute("isstretchfore"), "1");
  EXPECT_EQ(layout.children[1].name, "Button");
}

struct BadMarkup {
  const char* text;
  const char* error;
};

class MarkupErrors : public testing::TestWithParam<BadMarkup> {};

TEST_P(MarkupErrors, ReportTheirText) {
  MarkupNode root;
  root.name = "stale";
  std::string error;
  size_t offset = 0;
  EXPECT_FALSE(ParseMarkup(GetParam().text, &root, &error, &offset));
  EXPECT_EQ(error, GetParam().error) << GetParam().text;
  EXPECT_TRUE(root.name.empty());
  EXPECT_LE(offset, std::string(GetParam().text).size());
}

INSTANTIATE_TEST_SUITE_P(
    Table, MarkupErrors,
    testing::Values(BadMarkup{"", "Expected start tag"}, BadMarkup{"   \n", "Expected start tag"},
                    BadMarkup{"hello", "Expected start tag"}, BadMarkup{"</Window>", "Expected start tag"},
                    BadMarkup{"<!-- never closed", "Expected start tag"}, BadMarkup{"<?xml", "Expected start tag"},
                    BadMarkup{"<1Window/>", "Error parsing element name"},
                    BadMarkup{"<Window><>", "Error parsing element name"},
                    BadMarkup{"<Window", "Expected start-tag closing"},
                    BadMarkup{"<Window a='1'", "Expected start-tag closing"},
                    BadMarkup{"<Window /", "Expected start-tag closing"},
                    BadMarkup{"<Window / >", "Expected start-tag closing"},
                    BadMarkup{"<Window a='1'b='2'/>", "Error while parsing attributes"},
                    BadMarkup{"<Window \"x\"/>", "Error while parsing attributes"},
                    BadMarkup{"<Window a/>", "Error while parsing attribute string"},
                    BadMarkup{"<Window a='1/>", "Error while parsing attribute string"},
                    BadMarkup{"<Window a='&bogus;'/>", "Error while parsing attribute string"},
                    BadMarkup{"<Window a='&#0;'/>", "Error while parsing attribute string"},
                    BadMarkup{"<Window a='&#xD800;'/>", "Error while parsing attribute string"},
                    BadMarkup{"<Window a='&#x110000;'/>", "Error while parsing attribute string"},
                    BadMarkup{"<Window a='&amp'/>", "Error while parsing attribute string"},
                    BadMarkup{"<Window a=1/>", "Expected attribute value"},
                    BadMarkup{"<Window a=/>", "Expected attribute value"},
                    BadMarkup{"<Window>", "Expected end-tag start"},
                    BadMarkup{"<Window><Label/>", "Expected end-tag start"},
                    BadMarkup{"<Window><!-- open", "Expected end-tag start"},
                    BadMarkup{"<Window></Windo>", "Unmatched closing tag"},
                    BadMarkup{"<Window><Label></Window>", "Unmatched closing tag"},
                    BadMarkup{"<Window></Window", "Unmatched closing tag"},
                    BadMarkup{"<Window></>", "Unmatched closing tag"}));

std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<a>";
  for (int i = 0; i < depth; ++i) text += "</a>";
  return text;
}

TEST(Markup, NestingIsCapped) {
  MarkupNode root;
  std::string error;
  EXPECT_TRUE(ParseMarkup(Nested(kMaxMarkupDepth), &root, &error)) << error;
  EXPECT_FALSE(ParseMarkup(Nested(kMaxMarkupDepth + 1), &root, &error));
  EXPECT_EQ(error, "Markup nested too deeply");
  // Far deeper than any stack would bear if each level recursed unchecked.
  EXPECT_FALSE(ParseMarkup(std::string(1000000, '<').replace(0, 1, "<a>"), &root, &error));
  std::string deep;
  for (int i = 0; i < 200000; ++i) deep += "<a>";
  EXPECT_FALSE(ParseMarkup(deep, &root, &error));
  EXPECT_EQ(error, "Markup nested too deeply");
}

}  // namespace
}  // namespace SkinUI
