// The text field, the drop-down's keys and the focus order, driven through
// the paint manager with the platform's real glyphs (so positions, widths
// and scrolling are those a user sees).
#include <gtest/gtest.h>

#include "uikit/button.h"
#include "uikit/combo.h"
#include "uikit/container.h"
#include "uikit/edit.h"
#include "uikit/glyphs.h"
#include "uikit/label.h"
#include "uikit/paint_manager.h"
#include "uikit/surface.h"
#include "notify_log.h"

namespace SkinUI {
namespace {

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    glyphs_ = CreateGlyphSource();
    pm_.SetGlyphSource(glyphs_.get());
    pm_.AddNotifier(&log_);
  }
  // A field of `width` pixels at (10, 10) in a 300 x 100 window, focused
  // by a click at its left end.
  Edit* Field(int width, int maxChar = 255) {
    auto* root = new Container;
    auto* edit = new Edit;
    edit->SetName("field");
    edit->SetFloat(true);
    edit->SetAttribute("pos", "10,10," + std::to_string(10 + width) + ",40");
    edit->SetAttribute("textpadding", "4,0,4,0");
    edit->SetMaxChar(maxChar);
    root->Add(edit);
    auto* other = new Button;
    other->SetName("other");
    other->SetFloat(true);
    other->SetAttribute("pos", "10,60,90,90");
    root->Add(other);
    pm_.SetClientSize({300, 100});
    pm_.AttachRoot(std::unique_ptr<Control>(root));
    pm_.LayoutIfNeeded();
    pm_.MouseDown({12, 25});
    pm_.MouseUp({12, 25});
    return edit;
  }
  void Type(const std::string& s) {
    for (char32_t c : DecodeUtf8(s)) pm_.Char(c);
  }
  void Key(int key, int mods = 0) { pm_.KeyDown(key, mods); }
  // Clicks far enough apart in time never make a double click.
  void Click(Point p, int mods = 0) {
    pm_.AdvanceClock(1000);
    pm_.SetKeyModifiers(mods);
    pm_.MouseDown(p);
    pm_.MouseUp(p);
  }

  std::unique_ptr<GlyphSource> glyphs_;
  CPaintManagerUI pm_;
  NotifyLog log_;
};

TEST_F(FieldTest, TheEditingKeysCorrectTextAsTheSystemsFieldsDo) {
  Edit* e = Field(200);
  ASSERT_EQ(pm_.GetFocus(), e);
  Type("D:/Programs/Qullon");
  // A typing mistake is mended with BackSpace and the arrows.
  Key(kKeyBack);
  Key(kKeyBack);
  EXPECT_EQ(e->GetText(), "D:/Programs/Qull");
  Key(kKeyLeft);
  Key(kKeyLeft);
  Type("i");
  EXPECT_EQ(e->GetText(), "D:/Programs/Quill");
  Key(kKeyEnd);
  Type("on");
  EXPECT_EQ(e->GetText(), "D:/Programs/Quillon");
  // Home, then Shift+End selects everything after the caret; typing
  // replaces the selection.
  Key(kKeyHome);
  Key(kKeyRight, kModShift);
  Key(kKeyRight, kModShift);
  EXPECT_EQ(e->SelectedText(), "D:");
  Type("E:");
  EXPECT_EQ(e->GetText(), "E:/Programs/Quillon");
  Key(kKeyEnd);
  Key(kKeyLeft, kModControl);  // the start of the last word
  Key(kKeyHome, kModShift);
  EXPECT_EQ(e->SelectedText(), "E:/Programs/");
  Key(kKeyDelete);
  EXPECT_EQ(e->GetText(), "Quillon");
  // Delete takes the character after the caret, Ctrl+BackSpace the word before.
  Key(kKeyHome);
  Key(kKeyDelete);
  EXPECT_EQ(e->GetText(), "uillon");
  Key(kKeyEnd);
  Key(kKeyBack, kModControl);
  EXPECT_EQ(e->GetText(), "");
  // The characters Windows sends for BackSpace, Return and Ctrl letters are
  // no text.
  Type("a\b\r\x01");
  EXPECT_EQ(e->GetText(), "a");
}

TEST_F(FieldTest, ClipboardSelectAllAndPasteKeepTheLengthCapAndOneLine) {
  Edit* e = Field(200, 12);
  Type("C:\\Quillon");
  Key('A', kModControl);
  EXPECT_EQ(e->SelectedText(), "C:\\Quillon");
  Key('C', kModControl);
  EXPECT_EQ(pm_.ClipboardText(), "C:\\Quillon");
  Key(kKeyEnd);
  // Pasted text loses its line breaks and stops at the cap, on a whole
  // character.
  pm_.SetClipboardText("\\新\r\n版本");
  Key('V', kModControl);
  EXPECT_EQ(e->GetText(), "C:\\Quillon\\新");
  Key('A', kModControl);
  Key('X', kModControl);
  EXPECT_EQ(e->GetText(), "");
  EXPECT_EQ(pm_.ClipboardText(), "C:\\Quillon\\新");
  Key('V', kModControl);
  EXPECT_EQ(e->GetText(), "C:\\Quillon\\新");
  // A password field gives nothing away.
  e->SetPassword(true);
  Key('A', kModControl);
  pm_.SetClipboardText("kept");
  Key('C', kModControl);
  EXPECT_EQ(pm_.ClipboardText(), "kept");
  // A read-only one copies but never changes.
  e->SetPassword(false);
  e->SetReadOnly(true);
  Key('V', kModControl);
  Key(kKeyBack);
  Type("x");
  EXPECT_EQ(e->GetText(), "C:\\Quillon\\新");
}

TEST_F(FieldTest, TheMousePlacesTheCaretDragsASelectionAndADoubleClickTakesAWord) {
  Edit* e = Field(280);
  Type("D:/Apps/Quillon");
  const Rect area = e->NativeRect();
  // The caret goes to the nearer edge of the character clicked.
  Click({area.left + 1, 25});
  EXPECT_EQ(e->GetCaret(), 0u);
  const size_t slash = e->GetText().find("/Q");
  e->SetSelection(slash, slash);
  const int slashX = e->CaretRect().left;
  Click({slashX + 1, 25});
  EXPECT_EQ(e->GetCaret(), slash);
  // Shift+click extends from where the caret was.
  Click({area.right - 2, 25}, kModShift);
  EXPECT_EQ(e->SelectedText(), "/Quillon");
  // A drag selects from the press to the pointer.
  pm_.AdvanceClock(1000);
  pm_.SetKeyModifiers(0);
  pm_.MouseDown({area.left + 1, 25});
  pm_.MouseMove({slashX + 1, 25});
  pm_.MouseUp({slashX + 1, 25});
  EXPECT_EQ(e->SelectedText(), "D:/Apps");
  // Two presses in quick succession on a word take that word.
  e->SetSelection(slash + 3, slash + 3);
  const int inWord = e->CaretRect().left;
  Click({inWord, 25});
  pm_.AdvanceClock(100);
  pm_.MouseDown({inWord, 25});
  pm_.MouseUp({inWord, 25});
  EXPECT_EQ(pm_.ClickCount(), 2);
  EXPECT_EQ(e->SelectedText(), "Quillon");
}

TEST_F(FieldTest, ALongPathScrollsSoTheCaretStaysInView) {
  Edit* e = Field(90);
  const Rect area = e->NativeRect();
  auto caretInside = [&] {
    const Rect c = e->CaretRect();
    return c.left >= area.left && c.right <= area.right;
  };
  Type("C:/Program Files (x86)/Quillon/Translate");
  EXPECT_GT(e->GetScroll(), 0);
  EXPECT_TRUE(caretInside());
  Key(kKeyHome);
  EXPECT_EQ(e->GetScroll(), 0);
  EXPECT_TRUE(caretInside());
  for (int i = 0; i < 30; ++i) Key(kKeyRight);
  EXPECT_TRUE(caretInside());
  Key(kKeyEnd);
  EXPECT_TRUE(caretInside());
  // Text that shrinks back into the field scrolls back.
  Key('A', kModControl);
  Type("C:/Q");
  EXPECT_EQ(e->GetScroll(), 0);
}

TEST_F(FieldTest, TheCaretBlinksOnlyWithTheFocusAndTheInputMethodsTextShowsInPlace) {
  Edit* e = Field(200);
  Type("ab");
  EXPECT_TRUE(e->IsCaretShown());
  EXPECT_TRUE(pm_.HasTimer(e, Edit::kCaretTimerId));
  pm_.AdvanceClock(Edit::kCaretBlinkMs);
  EXPECT_FALSE(e->IsCaretShown());
  pm_.AdvanceClock(Edit::kCaretBlinkMs);
  EXPECT_TRUE(e->IsCaretShown());
  // Unfinished text moves the caret (and the candidate window) on, without
  // being text yet.
  const int before = e->CaretRect().left;
  pm_.Composition("zhong", 5);
  EXPECT_GT(e->CaretRect().left, before);
  EXPECT_EQ(e->GetText(), "ab");
  pm_.Composition("", 0);
  Type("中");
  EXPECT_EQ(e->GetText(), "ab中");
  // Away from the field the caret stops.
  pm_.AdvanceClock(1000);
  pm_.MouseDown({20, 70});
  pm_.MouseUp({20, 70});
  EXPECT_FALSE(pm_.HasTimer(e, Edit::kCaretTimerId));
  EXPECT_FALSE(e->IsCaretShown());
}

class KeyboardTest : public FieldTest {};

TEST_F(KeyboardTest, TabWalksTheShownEnabledControlsAndTheMarkShowsOnceTheKeyboardIsUsed) {
  auto* root = new HorizontalLayout;
  std::vector<Button*> buttons;
  for (const char* name : {"a", "b", "c", "d"}) {
    auto* b = new Button;
    b->SetName(name);
    b->SetFixedWidth(60);
    root->Add(b);
    buttons.push_back(b);
  }
  auto* check = new CheckBox;
  check->SetName("check");
  check->SetFixedWidth(60);
  root->Add(check);
  root->SetAttribute("inset", "10,10,10,10");
  pm_.SetClientSize({300, 60});
  pm_.AttachRoot(std::unique_ptr<Control>(root));
  pm_.LayoutIfNeeded();
  buttons[1]->SetEnabled(false);
  buttons[2]->SetVisible(false);
  auto focusName = [&] { return pm_.GetFocus() ? pm_.GetFocus()->GetName() : std::string("-"); };
  pm_.SetFocus(buttons[0]);
  Bitmap bitmap;
  bitmap.width = 300;
  bitmap.height = 60;
  bitmap.pixels.assign(300 * 60, 0);
  Surface surface(bitmap);
  const uint32_t mark = pm_.Window().focusColor & 0x00FFFFFF;
  auto ringAt = [&](const Control* c) {
    pm_.PaintAll(surface);
    const Rect r = c->GetPos();
    const Argb p = surface.Pixel((r.left + r.right) / 2, r.top - pm_.Window().focusGap - 1);
    return (p & 0x00FFFFFF) == mark;
  };
  EXPECT_FALSE(ringAt(buttons[0]));  // a mouse user sees no mark
  Key(kKeyTab);
  EXPECT_EQ(focusName(), "d");
  EXPECT_TRUE(ringAt(buttons[3]));
  Key(kKeyTab);
  EXPECT_EQ(focusName(), "check");
  Key(kKeyTab);
  EXPECT_EQ(focusName(), "a");
  Key(kKeyTab, kModShift);
  EXPECT_EQ(focusName(), "check");
  // Space toggles the check box; Return presses the button.
  Key(kKeySpace);
  EXPECT_TRUE(check->IsSelected());
  Key(kKeyTab, kModShift);
  log_.Clear();
  Key(kKeyReturn);
  EXPECT_EQ(log_.Types(), (std::vector<std::string>{"click:d"}));
}

TEST_F(KeyboardTest, TheDropDownsListFollowsTheKeysAndPicksOnlyOnReturnOrAClick) {
  auto* root = new VerticalLayout;
  auto* combo = new Combo;
  combo->SetName("lang");
  combo->SetFixedHeight(30);
  for (const char* t : {"English", "简体中文", "繁體中文"}) {
    auto* item = new Label;
    item->SetText(t);
    combo->Add(item);
  }
  root->Add(combo);
  root->Add(new Control);
  pm_.SetClientSize({200, 150});
  pm_.AttachRoot(std::unique_ptr<Control>(root));
  pm_.LayoutIfNeeded();
  pm_.SetFocus(combo);
  Key(kKeyF4);
  ASSERT_TRUE(combo->IsDropped());
  EXPECT_EQ(combo->GetHotItem(), 0);
  Key(kKeyDown);
  Key(kKeyDown);
  Key(kKeyDown);  // stops at the last item
  EXPECT_EQ(combo->GetHotItem(), 2);
  EXPECT_EQ(combo->GetCurSel(), 0);
  // Escape closes without a choice, and the window never sees it.
  log_.Clear();
  Key(kKeyEscape);
  EXPECT_FALSE(combo->IsDropped());
  EXPECT_EQ(combo->GetCurSel(), 0);
  EXPECT_TRUE(log_.Types().empty());
  Key(kKeyDown, kModAlt);
  ASSERT_TRUE(combo->IsDropped());
  Key(kKeyEnd);
  Key(kKeyUp);
  Key(kKeyReturn);
  EXPECT_FALSE(combo->IsDropped());
  EXPECT_EQ(combo->GetCurSel(), 1);
  // The mouse over the open list highlights; a press elsewhere closes it
  // unchanged.
  pm_.MouseDown({10, 10});
  ASSERT_TRUE(combo->IsDropped());
  const Rect list = pm_.InWindowPopupRect();
  const Rect third = combo->ItemRect(2).Offset(list.left, list.top);
  pm_.MouseMove({third.left + 3, third.top + 3});
  EXPECT_EQ(combo->GetHotItem(), 2);
  pm_.MouseDown({150, 140});
  EXPECT_FALSE(combo->IsDropped());
  EXPECT_EQ(combo->GetCurSel(), 1);
  // Closed, the arrows still step through the items.
  pm_.SetFocus(combo);
  Key(kKeyDown);
  EXPECT_EQ(combo->GetCurSel(), 2);
  Key(kKeyHome);
  EXPECT_EQ(combo->GetCurSel(), 0);
}

}  // namespace
}  // namespace SkinUI
