// The overlay widgets on the recording renderer, driven by the main window's
// messages as the platform delivers them.
#include "locations/overlay_edit.h"
#include "locations/overlay_list.h"
#include "locations_fixture.h"

#include <gtest/gtest.h>

#include <deque>

namespace gv {
namespace {

using namespace platform;

WindowMessage down(uint32_t vk) {
    return {WM_KEYDOWN, vk, 1};
}
WindowMessage typed(unsigned char c) {
    return {WM_CHAR, c, 1};
}
WindowMessage released(uint32_t vk) {
    return {WM_KEYUP, vk, int64_t(0xC0000001u)};
}

constexpr ListColours kColours{0xFF000001u, 0xFF000002u, 0xFF000003u, 0xFF000004u, 0xFF000005u};

struct Widgets : testing::LocationsFixture {
    OverlayPanel panel{nullptr};
    // A deque keeps its strings where they are: the lists point at them.
    std::deque<std::string> storage;

    OverlayList& list(const std::vector<std::string>& texts, WidgetRect rect = {10, 20, 200, 88}) {
        OverlayList& l = panel.add<OverlayList>(mainFont.get(), 0.5f, 0.5f, rect, kColours);
        for (const auto& t : texts) {
            storage.push_back(t);
            l.items.push_back(storage.back().c_str());
        }
        return l;
    }
    OverlayEdit& edit(uint16_t maxLength, const char* filter) {
        return panel.add<OverlayEdit>(mainFont.get(), 0.5f, 0.5f, WidgetRect{30, 40, 130, 60},
                                      maxLength, filter, 0xFFFFFFFFu, 0x80304060u);
    }
};

TEST_F(Widgets, ListsShowWholeRowsOnly) {
    // Rows of 27 x 0.5 = 13.5 pixels: 545 pixels hold 40 rows, 540 pixels.
    OverlayList& l = list({}, {325, 95, 635, 640});
    EXPECT_EQ(l.rows, 40);
    EXPECT_EQ(l.rect().bottom, 635);
    l.setRect({0, 0, 10, 13});
    EXPECT_EQ(l.rows, 0);
    EXPECT_EQ(l.rect().bottom, 0);
}

TEST_F(Widgets, SearchAsYouTypeFollowsThePrefixAndBackspaceShortensIt) {
    OverlayList& l = list({"Amsterdam", "Berlin", "Nairobi", "New Delhi", "Newcastle", "Nice"});
    l.handleKey(down('N'));
    EXPECT_EQ(l.cursor, 2);
    l.handleKey(down('E'));
    EXPECT_EQ(l.cursor, 3) << "N and E find the first name beginning with them, in any case";
    l.handleKey(down('W'));
    l.handleKey(down('C'));
    EXPECT_EQ(l.cursor, 4);
    EXPECT_STREQ(l.search(), "NEWC");
    l.handleKey(down('X'));
    EXPECT_EQ(l.cursor, 4) << "a letter that matches nothing leaves the cursor";
    l.handleKey(down(VK_BACK));
    l.handleKey(down(VK_BACK));
    l.handleKey(down(VK_BACK));
    EXPECT_STREQ(l.search(), "NE");
    EXPECT_EQ(l.cursor, 3) << "Backspace searches again with the shorter prefix";
    // Character messages search too, lower case as well.
    l.handleKey(down(VK_HOME));
    EXPECT_STREQ(l.search(), "");
    l.handleKey(typed('n'));
    l.handleKey(typed('i'));
    EXPECT_EQ(l.cursor, 5);
    // A key being released does nothing.
    l.handleKey({WM_CHAR, 'a', int64_t(0x80000001u)});
    EXPECT_STREQ(l.search(), "ni");
}

TEST_F(Widgets, TheSixteenthSearchCharacterIsIgnored) {
    OverlayList& l = list({"AAAAAAAAAAAAAAAZ", "AAAAAAAAAAAAAAAX"});
    for (int i = 0; i < 15; ++i)
        l.handleKey(down('A'));
    l.handleKey(down('X'));
    EXPECT_EQ(std::string(l.search()), std::string(15, 'A'));
    EXPECT_EQ(l.cursor, 0);
}

TEST_F(Widgets, ShiftOrCtrlAloneEmptiesTheSearchAndFunctionKeysLeaveIt) {
    OverlayList& l = list({"Amsterdam", "Berlin", "Bern", "Nice"});
    l.handleKey(down('B'));
    l.handleKey(down('E'));
    l.handleKey(down(VK_F1));
    EXPECT_STREQ(l.search(), "BE");
    l.handleKey(down('R'));
    l.handleKey(down('N'));
    EXPECT_EQ(l.cursor, 2);
    l.handleKey(down(VK_SHIFT));
    EXPECT_STREQ(l.search(), "");
    EXPECT_EQ(l.cursor, 2) << "emptying the search moves nothing";
    l.handleKey(down('B'));
    EXPECT_EQ(l.cursor, 1);
    l.handleKey(down(VK_CONTROL));
    EXPECT_STREQ(l.search(), "");
    l.handleKey(typed(9)); // a control character typed
    EXPECT_STREQ(l.search(), "");
}

TEST_F(Widgets, PagingStopsAtBothEndsAndTheViewFollowsTheCursor) {
    std::vector<std::string> many;
    for (int i = 0; i < 23; ++i)
        many.push_back("Place " + std::to_string(100 + i));
    OverlayList& l = list(many); // 68 pixels: 5 rows
    ASSERT_EQ(l.rows, 5);
    l.handleKey(down(VK_NEXT));
    EXPECT_EQ(l.cursor, 5);
    EXPECT_EQ(l.top, 1);
    l.setCursor(20);
    l.handleKey(down(VK_NEXT));
    EXPECT_EQ(l.cursor, 22) << "Page Down near the end stops on the last entry";
    EXPECT_EQ(l.top, 18);
    l.handleKey(down(VK_DOWN));
    EXPECT_EQ(l.cursor, 22);
    l.setCursor(3);
    EXPECT_EQ(l.top, 3);
    l.handleKey(down(VK_PRIOR));
    EXPECT_EQ(l.cursor, 0) << "Page Up near the start stops on the first";
    l.handleKey(down(VK_UP));
    EXPECT_EQ(l.cursor, 0);
    l.handleKey(down(VK_END));
    EXPECT_EQ(l.cursor, 22);
    l.handleKey(down(VK_HOME));
    EXPECT_EQ(l.cursor, 0);
    EXPECT_EQ(l.top, 0);
}

TEST_F(Widgets, AnEmptyListKeepsItsCursorAtZeroAndDrawsOnlyItsBackground) {
    OverlayPanel drawn(renderer.get());
    OverlayList& l =
        drawn.add<OverlayList>(mainFont.get(), 0.5f, 0.5f, WidgetRect{10, 20, 200, 88}, kColours);
    for (uint32_t vk : {VK_DOWN, VK_END, VK_NEXT, VK_UP, uint32_t('Q')})
        l.handleKey(down(vk));
    EXPECT_EQ(l.cursor, 0);
    EXPECT_EQ(l.top, 0);
    backend->clearLog();
    drawn.draw();
    ASSERT_EQ(backend->draws.size(), 1u);
    EXPECT_EQ(backend->draws[0].screen[0].color, kColours.focusedBackground);
}

TEST_F(Widgets, ListKeysAnswerEnterAndEscapeAndMoveTheFocusWithoutWrapping) {
    OverlayList& a = list({"One"});
    OverlayList& b = list({"Two"});
    EXPECT_EQ(a.handleKey(down(VK_RETURN)), kWidgetEnter);
    EXPECT_EQ(a.handleKey(down(VK_ESCAPE)), kWidgetEscape);
    EXPECT_EQ(a.handleKey(down('O')), kWidgetNothing);
    EXPECT_EQ(a.handleKey(released(VK_RETURN)), kWidgetNothing);
    EXPECT_EQ(panel.focusIndex(), 0);
    panel.handleKey(down(VK_LEFT));
    EXPECT_EQ(panel.focusIndex(), 0) << "the first widget stays focused";
    panel.handleKey(down(VK_RIGHT));
    EXPECT_EQ(panel.focusIndex(), 1);
    EXPECT_TRUE(b.focused);
    EXPECT_FALSE(a.focused);
    panel.handleKey(down(VK_TAB));
    EXPECT_EQ(panel.focusIndex(), 1) << "Tab on the last widget stays there";
    panel.setFocus(7);
    EXPECT_EQ(panel.focusIndex(), 1);
    panel.wrap = true;
    panel.focusNext();
    EXPECT_EQ(panel.focusIndex(), 0);
    EXPECT_EQ(OverlayPanel(nullptr).handleKey(down(VK_RETURN)), kWidgetNothing);
}

TEST_F(Widgets, EditFieldsFilterTheirCharactersAndKeepTheirLength) {
    OverlayEdit& digits = edit(2, "0123456789");
    digits.handleKey(typed('a'));
    digits.handleKey(typed('1'));
    digits.handleKey(typed('Z'));
    digits.handleKey(typed('2'));
    digits.handleKey(typed('3'));
    EXPECT_STREQ(digits.text(), "12") << "letters and a third digit are ignored";
    digits.handleKey(down(VK_LEFT));
    digits.handleKey(down(VK_BACK));
    EXPECT_STREQ(digits.text(), "2");
    EXPECT_EQ(digits.caret(), 0);
    digits.handleKey(down(VK_BACK));
    EXPECT_STREQ(digits.text(), "2") << "nothing before the caret";
    digits.handleKey(typed('7'));
    EXPECT_STREQ(digits.text(), "72");
    digits.handleKey(down(VK_END));
    digits.handleKey(down(VK_DELETE));
    EXPECT_STREQ(digits.text(), "72") << "nothing at the caret at the end";
    digits.handleKey(down(VK_HOME));
    digits.handleKey(down(VK_DELETE));
    EXPECT_STREQ(digits.text(), "2");
    digits.handleKey(down(VK_RIGHT));
    digits.handleKey(down(VK_RIGHT));
    EXPECT_EQ(digits.caret(), 1);

    OverlayEdit& name = edit(30, nullptr);
    name.handleKey(typed(0xE9)); // é as the code page has it
    name.handleKey(typed(8));    // the control character after Backspace
    name.handleKey(typed(27));
    name.handleKey({WM_CHAR, 'x', int64_t(0x80000001u)});
    name.handleKey(released('Q'));
    EXPECT_STREQ(name.text(), "\xE9");
    for (int i = 0; i < 31; ++i)
        name.handleKey(typed('k'));
    EXPECT_EQ(name.length(), 30) << "a 31st character is ignored";
    name.setText("");
    EXPECT_EQ(name.length(), 0);
    EXPECT_EQ(name.caret(), 0);

    OverlayEdit& hemisphere = edit(1, "nNsS");
    hemisphere.handleKey(typed('e'));
    hemisphere.handleKey(typed('s'));
    EXPECT_STREQ(hemisphere.text(), "s");
}

TEST_F(Widgets, EditKeysMoveTheFocusAndAnswerEnterAndEscape) {
    edit(2, nullptr);
    OverlayEdit& middle = edit(2, nullptr);
    edit(2, nullptr);
    panel.setFocus(1);
    EXPECT_EQ(middle.handleKey(down(VK_RETURN)), kWidgetEnter);
    EXPECT_EQ(middle.handleKey(down(VK_ESCAPE)), kWidgetEscape);
    panel.handleKey(down(VK_DOWN));
    EXPECT_EQ(panel.focusIndex(), 2);
    panel.handleKey(down(VK_TAB));
    EXPECT_EQ(panel.focusIndex(), 2);
    panel.handleKey(down(VK_UP));
    panel.handleKey(down(VK_UP));
    panel.handleKey(down(VK_UP));
    EXPECT_EQ(panel.focusIndex(), 0) << "Up on the first stays there";
    panel.handleKey(down(VK_NEXT));
    EXPECT_EQ(panel.focusIndex(), 2);
    panel.handleKey(down(VK_PRIOR));
    EXPECT_EQ(panel.focusIndex(), 0);
}

TEST_F(Widgets, AFocusedListDrawsItsBarAndRowsAnUnfocusedOneOnlyItsRows) {
    OverlayPanel drawn(renderer.get());
    OverlayList& l =
        drawn.add<OverlayList>(mainFont.get(), 0.5f, 0.5f, WidgetRect{10, 20, 200, 88}, kColours);
    OverlayList& other =
        drawn.add<OverlayList>(mainFont.get(), 0.5f, 0.5f, WidgetRect{210, 20, 400, 88}, kColours);
    storage = {"Alpha", "Beta", "Gamma", "Delta", "Epsilon", "Zeta", "Eta"};
    for (const auto& s : storage) {
        l.items.push_back(s.c_str());
        other.items.push_back(s.c_str());
    }
    l.setCursor(6); // rows 2..6 shown
    other.setCursor(1);
    backend->clearLog();
    drawn.draw();
    // The focused list: its background, then per row the bar under the
    // cursor row and the text.
    const auto& d = backend->draws;
    ASSERT_GE(d.size(), 2u);
    EXPECT_EQ(d[0].screen[0].color, kColours.focusedBackground);
    EXPECT_FLOAT_EQ(d[0].screen[0].sz, 0.001f);
    EXPECT_EQ(texts(*mainFont),
              (std::vector<std::string>{"Gamma", "Delta", "Epsilon", "Zeta", "Eta", "Alpha", "Beta",
                                        "Gamma", "Delta", "Epsilon"}));
    int bars = 0;
    for (const auto& x : d)
        if (x.op == "drawScreen" && x.screen[0].color == kColours.highlightBar) {
            ++bars;
            EXPECT_FLOAT_EQ(x.screen[0].sy, 20.0f + 4 * 13.5f);
            EXPECT_FLOAT_EQ(x.screen[0].sx, 10.0f);
            EXPECT_FLOAT_EQ(x.screen[2].sx, 200.0f);
        }
    EXPECT_EQ(bars, 1) << "only the focused list shows its cursor";
    const auto* eta = textDraw("Eta");
    ASSERT_NE(eta, nullptr);
    EXPECT_EQ(eta->screen[0].color, kColours.highlightText);
    EXPECT_FLOAT_EQ(eta->screen[0].sx, 10.0f);
    EXPECT_FLOAT_EQ(eta->screen[0].sy, 20.0f + 4 * 13.5f);
    EXPECT_FLOAT_EQ(eta->screen[0].rhw, 1.0f / 0.00001f);
    const auto* alpha = textDraw("Alpha");
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->screen[0].color, kColours.text);
    // The unfocused list's background.
    bool plain = false;
    for (const auto& x : d)
        plain = plain || (x.op == "drawScreen" && x.screen[0].color == kColours.background);
    EXPECT_TRUE(plain);
}

TEST_F(Widgets, AnEditFieldDrawsOneRowAndItsCaretWhenFocused) {
    OverlayPanel drawn(renderer.get());
    OverlayEdit& e =
        drawn.add<OverlayEdit>(mainFont.get(), 0.5f, 0.5f, WidgetRect{98, 251, 158, 281}, 3,
                               nullptr, 0xFFFFFFFFu, 0x80304060u);
    drawn.add<OverlayEdit>(mainFont.get(), 0.5f, 0.5f, WidgetRect{162, 251, 222, 281}, 3, nullptr,
                           0xFFFFFFFFu, 0x80304060u);
    e.setText("AB");
    e.handleKey(down(VK_LEFT));
    backend->clearLog();
    drawn.draw();
    const auto& box = backend->draws[0];
    EXPECT_EQ(box.screen[0].color, 0x80304060u);
    EXPECT_FLOAT_EQ(box.screen[0].sy, 251.0f);
    EXPECT_FLOAT_EQ(box.screen[1].sy, 251.0f + 13.5f) << "one text row, not the whole rectangle";
    EXPECT_FLOAT_EQ(box.screen[2].sx, 158.0f);
    const auto* caret = textDraw("_");
    ASSERT_NE(caret, nullptr);
    EXPECT_FLOAT_EQ(caret->screen[0].sx, 98.0f + 21 * 0.5f) << "after the A at the caret";
    EXPECT_EQ(texts(*mainFont), (std::vector<std::string>{"AB", "_"}))
        << "the unfocused field has no caret and no text";
}

} // namespace
} // namespace gv
