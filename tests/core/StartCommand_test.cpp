#include "ui/StartCommand.h"

#include <gtest/gtest.h>

using namespace quorlin;

namespace {

TEST(StartCommand, NoArgumentOrTheLogonArgumentRunsTheProgram) {
    EXPECT_EQ(ParseStartCommand(L""), StartCommand::Run);
    EXPECT_EQ(ParseStartCommand(L"  "), StartCommand::Run);
    EXPECT_EQ(ParseStartCommand(L"-startup"), StartCommand::Run);
    EXPECT_EQ(ParseStartCommand(L"/exits /x exit - /"), StartCommand::Run);
}

TEST(StartCommand, ExitAndUninstallInAnySpelling) {
    EXPECT_EQ(ParseStartCommand(L"/exit"), StartCommand::Exit);
    EXPECT_EQ(ParseStartCommand(L"\t-EXIT "), StartCommand::Exit);
    EXPECT_EQ(ParseStartCommand(L"\"/Exit\""), StartCommand::Exit);
    EXPECT_EQ(ParseStartCommand(L"/uninstall"), StartCommand::Uninstall);
    EXPECT_EQ(ParseStartCommand(L"-startup \"-UnInstall"), StartCommand::Uninstall);
    // The first command word decides.
    EXPECT_EQ(ParseStartCommand(L"/exit /uninstall"), StartCommand::Exit);
}

}  // namespace
