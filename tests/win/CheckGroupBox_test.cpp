// The check-box group box in a real window: layout of the caption check box, the enabled state
// of the controls inside, the click event from code, from the Space key and from the mouse.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ControlHost.h"
#include "TestSupport.h"
#include "shell/CheckGroupBox_win.h"

using namespace quorlin;
using namespace testsupport;

namespace {

class CheckGroupBoxTest : public ::testing::Test {
protected:
    CheckGroupBoxTest() {
        // The settings window's blocker group: a label, the interval list, two check boxes, the counter.
        HWND g = group_.Handle();
        inside_.push_back(std::make_unique<TLabel>(g, WindowBounds{12, 26, 152, 15}, L"&Time interval to block clicks"));
        inside_.push_back(std::make_unique<TComboBox>(g, WindowBounds{176, 22, 96, 23}));
        inside_.push_back(std::make_unique<TCheckBox>(g, WindowBounds{12, 52, 212, 17}, L"Also block move and wheel &events", true));
        inside_.push_back(std::make_unique<TCheckBox>(g, WindowBounds{12, 76, 200, 17}, L"&Beep when click is blocked", true));
        inside_.push_back(std::make_unique<TLabel>(g, WindowBounds{12, 96, 260, 15}, L"Clicks blocked: 0", TLabel::Align::Right));
        group_.OnCheckBoxClick = [this] {
            seenChecked_.push_back(group_.GetCheckBoxChecked());
            if (onClick_) onClick_();
        };
        PumpFor(100);
    }

    int EnabledInside() const {
        int n = 0;
        for (const auto& c : inside_) n += c->Enabled() ? 1 : 0;
        return n;
    }
    int Inside() const { return static_cast<int>(inside_.size()); }
    size_t Clicks() const { return seenChecked_.size(); }

    ControlHost host_{100, 100, 308, 250, L"Check group box"};
    TCheckGroupBox group_{host_.hwnd(), {8, 114, 292, 120}, L"Block accidental taps and clicks"};
    std::vector<std::unique_ptr<TWinControl>> inside_;
    std::vector<bool> seenChecked_;
    std::function<void()> onClick_;
};

SIZE TextSize(HFONT font, const std::wstring& text) {
    SIZE s{};
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return s;
}

}  // namespace

TEST_F(CheckGroupBoxTest, CaptionCheckBoxSitsOnTheFrameLine) {
    TCheckBox& box = group_.CheckBox();
    EXPECT_EQ(GetWindow(group_.Handle(), GW_CHILD), box.Handle()) << "the check box is the first child (tab position 0)";
    EXPECT_TRUE(box.Visible());
    EXPECT_TRUE(group_.GetCheckBoxChecked());
    EXPECT_EQ(L"Block accidental taps and clicks", box.Text());
    EXPECT_EQ(group_.Font(), box.Font());
    EXPECT_EQ(host_.font(), group_.Font()) << "controls take their parent's font";

    const SIZE text = TextSize(group_.Font(), L"Block accidental taps and clicks");
    EXPECT_EQ((WindowBounds{8, 0, text.cx + 19, std::max<int>(text.cy, 13)}), box.Bounds());

    // A new caption is copied and measured again; an empty one leaves the 13-pixel mark and 6 pixels.
    group_.SetText(L"Keyboard shortcuts");
    EXPECT_EQ(L"Keyboard shortcuts", box.Text());
    EXPECT_EQ(TextSize(group_.Font(), L"Keyboard shortcuts").cx + 19, box.Bounds().Width);
    group_.SetText(L"");
    EXPECT_EQ((WindowBounds{8, 0, 19, std::max<int>(text.cy, 13)}), box.Bounds());
}

TEST_F(CheckGroupBoxTest, SettingTheStateRaisesOnceOnChangeAndAppliesItToTheControlsInside) {
    ASSERT_EQ(Inside(), EnabledInside());

    group_.SetCheckBoxChecked(false);
    ASSERT_EQ(1u, Clicks());
    EXPECT_FALSE(seenChecked_[0]) << "the handler already sees the new state";
    EXPECT_EQ(0, EnabledInside()) << "clearing the box greys every control inside";
    EXPECT_TRUE(group_.CheckBox().Enabled()) << "the caption check box itself stays usable";

    // The same value raises nothing but applies the state again.
    inside_[1]->SetEnabled(true);
    group_.SetCheckBoxChecked(false);
    EXPECT_EQ(1u, Clicks());
    EXPECT_EQ(0, EnabledInside());

    group_.SetCheckBoxChecked(true);
    EXPECT_EQ(2u, Clicks());
    EXPECT_TRUE(seenChecked_[1]);
    EXPECT_EQ(Inside(), EnabledInside());
}

TEST_F(CheckGroupBoxTest, HandlerSettingTheSameStateAgainDoesNotRecurse) {
    onClick_ = [this] { group_.SetCheckBoxChecked(group_.GetCheckBoxChecked()); };
    group_.SetCheckBoxChecked(false);
    EXPECT_EQ(1u, Clicks());
    EXPECT_FALSE(group_.GetCheckBoxChecked());
    EXPECT_EQ(0, EnabledInside());
}

TEST_F(CheckGroupBoxTest, HiddenCheckBoxLeavesTheControlsToTheGroupsOwnState) {
    group_.SetCheckBoxChecked(false);
    ASSERT_EQ(0, EnabledInside());
    group_.SetCheckBoxVisible(false);
    EXPECT_FALSE(group_.CheckBoxVisible());
    EXPECT_FALSE(IsWindowVisible(group_.CheckBox().Handle()));
    EXPECT_EQ(0, EnabledInside()) << "hiding the check box does not apply the state";

    group_.SetCheckBoxChecked(false);  // applies again: a hidden box does not count
    EXPECT_EQ(Inside(), EnabledInside());

    // A disabled group greys its controls when the state is applied; disabling alone does not.
    group_.SetEnabled(false);
    EXPECT_EQ(Inside(), EnabledInside());
    group_.SetCheckBoxChecked(true);
    EXPECT_EQ(0, EnabledInside());
    group_.SetEnabled(true);
    group_.SetCheckBoxVisible(true);
    group_.SetCheckBoxChecked(true);
    EXPECT_EQ(Inside(), EnabledInside());
}

TEST_F(CheckGroupBoxTest, AutoDisableOffLeavesTheControlsAlone) {
    group_.SetAutoDisableControls(false);
    group_.SetCheckBoxChecked(false);
    EXPECT_EQ(1u, Clicks());
    EXPECT_EQ(Inside(), EnabledInside());
    group_.SetAutoDisableControls(true);  // applies at once
    EXPECT_EQ(0, EnabledInside());
    EXPECT_EQ(1u, Clicks());
}

TEST_F(CheckGroupBoxTest, SpaceTogglesOncePerPress) {
    ASSERT_TRUE(host_.Activate());
    group_.CheckBox().SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == group_.CheckBox().Handle(); }, 2000));

    TypeKey(VK_SPACE);
    ASSERT_TRUE(PumpUntil([&] { return Clicks() == 1; }, 2000));
    PumpFor(200);
    EXPECT_EQ(1u, Clicks());
    EXPECT_FALSE(group_.GetCheckBoxChecked());
    EXPECT_EQ(0, EnabledInside());

    TypeKey(VK_SPACE);
    ASSERT_TRUE(PumpUntil([&] { return Clicks() == 2; }, 2000));
    PumpFor(200);
    EXPECT_EQ(2u, Clicks());
    EXPECT_TRUE(group_.GetCheckBoxChecked());
    EXPECT_EQ(Inside(), EnabledInside());
}

TEST_F(CheckGroupBoxTest, MouseClickTogglesOnce) {
    ASSERT_TRUE(host_.Activate());
    RECT r{};
    GetWindowRect(group_.CheckBox().Handle(), &r);
    ClickAt({r.left + 6, (r.top + r.bottom) / 2});  // on the check mark
    ASSERT_TRUE(PumpUntil([&] { return Clicks() == 1; }, 2000));
    PumpFor(300);
    EXPECT_EQ(1u, Clicks());
    EXPECT_FALSE(group_.GetCheckBoxChecked());
    EXPECT_EQ(0, EnabledInside());
}
