#include "shortcuts/Capture.h"

#include <gtest/gtest.h>

using namespace quorlin;

TEST(HeldModifierKeys, FollowsPressesAndReleasesFromTheStartingState) {
    HeldModifierKeys keys;
    keys.Reset(ssShift | ssLeft);  // mouse buttons are not modifiers
    EXPECT_EQ(keys.Held(), ssShift);
    keys.KeyDown(0x11);   // Ctrl
    keys.KeyDown(0x74);   // F5 changes nothing
    EXPECT_EQ(keys.Held(), ssShift | ssCtrl);
    keys.KeyUp(0xA0);     // left Shift
    keys.KeyDown(0xA5);   // right Alt
    EXPECT_EQ(keys.Held(), ssCtrl | ssAlt);
    keys.KeyDown(0x11);   // a key repeat
    keys.KeyUp(0x12);
    keys.KeyUp(0xA3);     // right Ctrl
    EXPECT_EQ(keys.Held(), 0);
    keys.KeyUp(0x10);     // a release whose press went elsewhere
    EXPECT_EQ(keys.Held(), 0);
}

TEST(CapturedShortCut, TypingAndNavigationKeysNeedCtrlOrAlt) {
    // Enter, Space, Esc, Tab, an arrow, Home, Delete, a letter, a digit, a keypad digit, a comma,
    // Caps Lock, the Windows key.
    for (std::uint16_t key : {0x0D, 0x20, 0x1B, 0x09, 0x25, 0x24, 0x2E, 0x41, 0x35, 0x63, 0xBC, 0x14, 0x5B}) {
        EXPECT_FALSE(IsStandaloneShortcutKey(key)) << key;
        EXPECT_EQ(CapturedShortCut(key, 0), 0) << key;
        EXPECT_EQ(CapturedShortCut(key, ssShift), 0) << key;
        EXPECT_EQ(CapturedShortCut(key, ssCtrl), ComposeShortCut(key, ssCtrl)) << key;
        EXPECT_EQ(CapturedShortCut(key, ssAlt | ssShift), ComposeShortCut(key, ssAlt | ssShift)) << key;
    }
}

TEST(CapturedShortCut, FunctionPauseScrollLockApplicationBrowserAndMediaKeysStandAlone) {
    // F1, F24, Pause, Scroll Lock, the application key, Browser Back, Browser Home, Volume Mute,
    // Play/Pause, Launch Application 2.
    for (std::uint16_t key : {0x70, 0x87, 0x13, 0x91, 0x5D, 0xA6, 0xAC, 0xAD, 0xB3, 0xB7}) {
        EXPECT_TRUE(IsStandaloneShortcutKey(key)) << key;
        EXPECT_EQ(CapturedShortCut(key, 0), ComposeShortCut(key, 0)) << key;
        EXPECT_EQ(CapturedShortCut(key, ssShift), ComposeShortCut(key, ssShift)) << key;
    }
    // Their neighbours: after F24, after Launch Application 2, before Browser Back, either side of
    // the application key.
    for (std::uint16_t key : {0x88, 0xB8, 0xA5, 0x5C, 0x5E}) EXPECT_FALSE(IsStandaloneShortcutKey(key)) << key;
}

TEST(CapturedShortCut, AModifierAloneOrAKeyAboveAByteMakesNoShortcut) {
    for (std::uint16_t key : {0x10, 0x11, 0x12, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5}) {
        EXPECT_TRUE(IsModifierKey(key)) << key;
        EXPECT_EQ(CapturedShortCut(key, ssCtrl | ssAlt), 0) << key;
    }
    EXPECT_EQ(CapturedShortCut(0x170, ssCtrl), 0);
}

TEST(CaptureAccepts, AStoredValueOnlyWhenTheCaptureWouldHaveMadeIt) {
    EXPECT_TRUE(CaptureAccepts(scCtrl | 0x78));        // Ctrl+F9
    EXPECT_TRUE(CaptureAccepts(0x75));                 // F6
    EXPECT_FALSE(CaptureAccepts(0x41));                // A
    EXPECT_FALSE(CaptureAccepts(scShift | 0x0D));      // Shift+Enter
    EXPECT_FALSE(CaptureAccepts(0));
    EXPECT_FALSE(CaptureAccepts(scCtrl | 0x11));       // Ctrl on its own
    EXPECT_FALSE(CaptureAccepts(scCtrl | 0x1078));     // bits the capture never sets
}
