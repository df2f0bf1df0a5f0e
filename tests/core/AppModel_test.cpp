// The application model: what a load takes, when a save is due, and what the texts are made of.
#include <gtest/gtest.h>

#include "ui/model/AppModel.h"

using namespace quorlin;

TEST(AppModel, LoadTakesTheStoredValuesAndShowsTheIntervalAsTheListDoes) {
    AppSettings stored;
    stored.BlockCount = 7;
    stored.Delay = 600;
    AppModel m;
    EXPECT_TRUE(m.NeedsSave()) << "nothing loaded or saved yet";
    m.Load(stored);
    EXPECT_EQ(m.Settings.BlockCount, 7);
    EXPECT_EQ(m.Settings.Delay, 750);
    EXPECT_TRUE(m.NeedsSave()) << "the raised interval is not what is stored";
    stored.Delay = 500;
    m.Load(stored);
    EXPECT_FALSE(m.NeedsSave());
    m.Settings.BeepOnClick = !m.Settings.BeepOnClick;
    EXPECT_TRUE(m.NeedsSave());
}

TEST(AppModel, OnlyASaveThatSucceededIsRecorded) {
    AppModel m;
    m.Load(AppSettings{});
    m.Settings.BlockCount = 3;
    m.SaveDone(false);
    EXPECT_TRUE(m.NeedsSave()) << "a failed save is tried again";
    m.SaveDone(true);
    EXPECT_FALSE(m.NeedsSave());
}

TEST(AppModel, StatusOffersOnlyShortcutsThatAreOnAndTaken) {
    AppModel m;
    m.TouchpadOffered = true;
    m.Settings.TouchpadSwitch = true;
    StatusInputs in = m.Status(L"Quorlin", L"1.0", L"Blocker", L"Touchpad");
    EXPECT_TRUE(in.blockerShortcutShown);
    EXPECT_TRUE(in.touchpadShortcutShown);
    EXPECT_EQ(in.blockerShortcut, L"Ctrl+F9");
    m.BlockerShortcutRefused = true;
    m.Settings.TouchpadSwitch = false;
    in = m.Status(L"Quorlin", L"1.0", L"Blocker", L"Touchpad");
    EXPECT_FALSE(in.blockerShortcutShown);
    EXPECT_FALSE(in.touchpadShortcutShown);
    EXPECT_EQ(TipText(in), L"Quorlin (1.0)");
}
