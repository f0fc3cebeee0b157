#include "kx_context_properties.h"

#include <gtest/gtest.h>

#include "kx_exception.h"
#include "kx_tracker_params.h"

namespace tarvix {
namespace analytics {
namespace {

// The message of the KxException that `call` raises, with its function.
template <typename Call>
std::string Raised(Call call, std::string* function = nullptr) {
  try {
    call();
  } catch (const KxException& e) {
    if (function) *function = e.function();
    EXPECT_EQ(e.file(), "KxContextProperties");
    return e.what();
  }
  return "<nothing raised>";
}

TEST(ABValue, AcceptsAnUpperCaseLetterAndUpToTwoLettersOrDigits) {
  for (const char* value : {"IN", "A", "Z9", "AB1", "A00", "ZZZ"}) EXPECT_TRUE(isValidABValue(value)) << value;
  EXPECT_FALSE(isValidABValue(""));
}

TEST(ABValue, RejectsByTheFirstRuleThatFails) {
  std::string function;
  EXPECT_EQ(Raised([] { isValidABValue("ABCD"); }, &function), "value's length is great than 3.");
  EXPECT_EQ(function, "isValidABValue");
  // Length wins over a bad first character.
  EXPECT_EQ(Raised([] { isValidABValue("abcd"); }), "value's length is great than 3.");
  EXPECT_EQ(Raised([] { isValidABValue("i"); }), "First char is not in A to Z");
  EXPECT_EQ(Raised([] { isValidABValue("1N"); }), "First char is not in A to Z");
  EXPECT_EQ(Raised([] { isValidABValue("In"); }), "second char is not in A to Z and 0 to 9");
  EXPECT_EQ(Raised([] { isValidABValue("A-"); }), "second char is not in A to Z and 0 to 9");
  EXPECT_EQ(Raised([] { isValidABValue("AB_"); }), "third char is not in A to Z and 0 to 9");
  // Multi-byte text counts bytes: one Chinese character is already too long.
  EXPECT_EQ(Raised([] { isValidABValue("\xE4\xB8\xAD"); }), "First char is not in A to Z");
}

TEST(ContextProperties, EntriesGoToTheListedTypesOnly) {
  KxContextProperties context;
  context.setProperty(kABKey, "IN", {Task});
  context.setProperty("kxc_other", "x", {Click, Task});
  ASSERT_EQ(context.getEventProperties(Task).size(), 2u);
  EXPECT_EQ(context.getEventProperties(Task)[0], std::make_pair(std::string("kxc_ab"), std::string("IN")));
  EXPECT_EQ(context.getEventProperties(Click).size(), 1u);
  EXPECT_TRUE(context.getEventProperties(View).empty());

  analytics_sdk::utils::PropertiesNode task, view;
  context.apply(Task, task);
  context.apply(View, view);
  EXPECT_EQ(task.ToJson(), "{\"kxc_ab\":\"IN\",\"kxc_other\":\"x\"}");
  EXPECT_TRUE(view.empty());
}

TEST(ContextProperties, AKeyIsRegisteredOnce) {
  KxContextProperties context;
  context.setProperty(kABKey, "IN", {Task});
  std::string function;
  EXPECT_EQ(Raised([&] { context.setProperty(kABKey, "IN", {View}); }, &function),
            "Property[kxc_ab] already exist!");
  EXPECT_EQ(function, "setProperty");
  EXPECT_TRUE(context.getEventProperties(View).empty());
  // A key registered with no types still counts.
  context.setProperty("kxc_none", "v", {});
  EXPECT_EQ(Raised([&] { context.setProperty("kxc_none", "v", {Task}); }), "Property[kxc_none] already exist!");
}

TEST(ContextProperties, AnUnknownTypeRaisesAfterTheTypesBeforeIt) {
  KxContextProperties context;
  std::string function;
  EXPECT_EQ(Raised([&] { context.setProperty("k", "v", {Click, 15, View}); }, &function), "KxEvent[15] overflow!");
  EXPECT_EQ(function, "setProperty");
  EXPECT_EQ(context.getEventProperties(Click).size(), 1u);
  EXPECT_TRUE(context.getEventProperties(View).empty());
  EXPECT_EQ(Raised([&] { context.setProperty("k2", "v", {-1}); }), "KxEvent[-1] overflow!");
  EXPECT_EQ(Raised([&] { context.getEventProperties(15); }, &function), "KxEvent[15] overflow!");
  EXPECT_EQ(function, "getEventProperties");
  EXPECT_NO_THROW(context.getEventProperties(AppOpenNotification));
}

TEST(ContextProperties, ApplyOverwritesAndSkipsWhatTheSdkRefuses) {
  KxContextProperties context;
  context.setProperty("kxc_ab", "IN", {Task});
  context.setProperty("kxc_bad", "\xFF", {Task});
  analytics_sdk::utils::PropertiesNode node;
  node.SetString("kxc_ab", "OLD");
  context.apply(Task, node);
  EXPECT_EQ(node.ToJson(), "{\"kxc_ab\":\"IN\"}");
}

// "翻译" (translate) in GBK and in UTF-8.
const char kGbk[] = "\xB7\xAD\xD2\xEB";
const char kUtf8[] = "\xE7\xBF\xBB\xE8\xAF\x91";

TEST(ToUtf8, KeepsUtf8AndConvertsTheNarrowCodePage) {
  EXPECT_EQ(ToUtf8(kGbk, 936), kUtf8);
  EXPECT_EQ(ToUtf8(kUtf8, 936), kUtf8);
  EXPECT_EQ(ToUtf8("Quillon 1.7.9", 936), "Quillon 1.7.9");
  EXPECT_EQ(ToUtf8("", 936), "");
  EXPECT_EQ(ToUtf8("plain ascii"), "plain ascii");
  EXPECT_EQ(ToUtf8(kUtf8), kUtf8);
}

TEST(ToUtf8, AControlByteMakesTheWholeTextNarrow) {
  // 0x01 is not allowed in our UTF-8, so the UTF-8 bytes after it are read
  // as GBK and come out as other characters.
  const std::string text = std::string("\x01") + kUtf8;
  const std::string converted = ToUtf8(text, 936);
  EXPECT_NE(converted, text);
  EXPECT_EQ(converted.substr(0, 1), "\x01");
  EXPECT_EQ(ToUtf8(std::string("\x01") + kGbk, 936), std::string("\x01") + kUtf8);
}

TEST(Edition, NamesAndTheUnknownOne) {
  EXPECT_EQ(EditionName(0), "china");
  EXPECT_EQ(EditionName(1), "overseas");
  try {
    EditionName(2);
    ADD_FAILURE() << "nothing raised";
  } catch (const KxException& e) {
    EXPECT_STREQ(e.what(), "Unknown edition [2]!");
    EXPECT_EQ(e.function(), "toString");
  }
}

}  // namespace
}  // namespace analytics
}  // namespace tarvix
