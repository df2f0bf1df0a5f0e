// The single-instance guard between real processes: instanceapp.exe runs the real application
// object, its message hook and the guard and logs what it sees (see tests/e2e/progs/instanceapp.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "shell/OneInstance_win.h"

using namespace testsupport;

namespace {

constexpr UINT kMinimize = WM_APP + 1;
constexpr UINT kRecheck = WM_APP + 2;

// The logon name as the system reports it to this (the driver's) process.
std::wstring UserName() {
    wchar_t name[261] = {};
    DWORD size = 261;
    return GetUserNameW(name, &size) ? name : L"";
}

// One started instanceapp.exe and its log.
struct Instance {
    std::wstring log;
    Process proc;

    std::string Log() const { return ReadFileText(log); }
    bool Has(const std::string& line) const { return Log().find(line + "\n") != std::string::npos; }
    int Count(const std::string& prefix) const {
        std::istringstream in(Log());
        int n = 0;
        for (std::string line; std::getline(in, line);) n += line.rfind(prefix, 0) == 0;
        return n;
    }
    std::vector<std::string> Lines(const std::string& prefix) const {
        std::istringstream in(Log());
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);)
            if (line.rfind(prefix, 0) == 0) out.push_back(line);
        return out;
    }
    // A field of the "self" line, e.g. Field("app") -> "0x30054".
    std::string Field(const std::string& name) const {
        std::smatch m;
        const std::string text = Log();
        const std::regex re("self .*\\b" + name + "=(\\S+)");
        return std::regex_search(text, m, re) ? m[1].str() : std::string();
    }
    HWND AppWindow() const {
        return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::stoul(Field("app"), nullptr, 16)));
    }
    bool Running() const { return proc.process && proc.Wait(0) == STILL_ACTIVE; }
    void Close() {
        if (!Running()) return;
        if (Has("running") && !Field("app").empty()) PostMessageW(AppWindow(), WM_CLOSE, 0, 0);
        if (proc.Wait(5000) == STILL_ACTIVE) proc.Kill();
    }
};

// Starts instanceapp.exe; with a user name, the guard checks as that user.
std::unique_ptr<Instance> Launch(const std::wstring& userName = L"") {
    auto inst = std::make_unique<Instance>();
    inst->log = TempFile(L"instanceapp");
    inst->proc = Start(L"instanceapp.exe", L"\"" + inst->log + L"\"" + (userName.empty() ? L"" : L" " + userName));
    return inst;
}

// Starts the first instance and waits until it runs as the one instance.
std::unique_ptr<Instance> LaunchFirst(const std::wstring& userName = L"") {
    auto first = Launch(userName);
    EXPECT_TRUE(first->proc.process);
    EXPECT_TRUE(PumpUntil([&] { return first->Has("running") || first->Has("exit"); }, 15000)) << first->Log();
    EXPECT_TRUE(first->Has("running")) << first->Log();
    return first;
}

// A second start: it must end on its own, silently, as a second instance.
void ExpectEndsAsSecond(Instance& second) {
    ASSERT_TRUE(second.proc.process);
    EXPECT_EQ(second.proc.Wait(15000), 0u) << "the second instance did not end by itself\n" << second.Log();
    EXPECT_TRUE(second.Has("check 1")) << second.Log();
    EXPECT_FALSE(second.Has("running")) << second.Log();
    EXPECT_TRUE(second.Has("exit")) << second.Log();
}

TEST(OneInstanceEndToEnd, SecondStartEndsAndTheFirstGetsOneActivation) {
    auto first = LaunchFirst();
    // The instance mutex has the per-user name.
    const std::wstring user = UserName();
    ASSERT_FALSE(user.empty());
    EXPECT_EQ(first->Field("user"), std::string(user.begin(), user.end()));
    {
        quorlin::UniqueHandle m(OpenMutexW(SYNCHRONIZE, FALSE, (user + L".Quorlin.OneInstance.Default").c_str()));
        EXPECT_TRUE(m) << "instance mutex not found under the per-user name";
        quorlin::UniqueHandle cs(
            OpenMutexW(SYNCHRONIZE, FALSE, (user + L".Quorlin.OneInstance.CriticalSection").c_str()));
        EXPECT_FALSE(cs) << "the critical section must not outlive a check";
    }

    auto second = Launch();
    ExpectEndsAsSecond(*second);
    const std::string expected = "activate " + second->Field("app") + " " + second->Field("module");
    ASSERT_NE(second->Field("app"), first->Field("app"));
    EXPECT_TRUE(PumpUntil([&] { return first->Count("activate") > 0; }, 5000)) << first->Log();
    PumpFor(1000);  // a second message would arrive by now
    EXPECT_EQ(first->Lines("activate"), std::vector<std::string>{expected}) << first->Log();
    EXPECT_TRUE(first->Running());

    // Another start later is also a second instance.
    auto third = Launch();
    ExpectEndsAsSecond(*third);
    EXPECT_TRUE(PumpUntil([&] { return first->Count("activate") == 2; }, 5000)) << first->Log();
    first->Close();
    EXPECT_TRUE(first->Has("exit")) << first->Log();

    // After a normal end the mutex is given back: the next start runs.
    auto next = LaunchFirst();
    next->Close();
}

TEST(OneInstanceEndToEnd, MinimisedFirstInstanceIsRestored) {
    auto first = LaunchFirst();
    HWND app = first->AppWindow();
    ASSERT_TRUE(IsWindow(app));
    PostMessageW(app, kMinimize, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(app) != FALSE; }, 5000));

    auto second = Launch();
    ExpectEndsAsSecond(*second);
    EXPECT_TRUE(PumpUntil([&] { return !IsIconic(app); }, 5000)) << "the minimised first instance was not restored";
    EXPECT_TRUE(PumpUntil([&] { return first->Count("activate") == 1; }, 5000)) << first->Log();
    first->Close();
}

TEST(OneInstanceEndToEnd, NewStartRunsAfterTheFirstWasKilled) {
    auto first = LaunchFirst();
    // Holding a handle keeps the mutex object alive, so the next owner finds it abandoned.
    quorlin::UniqueHandle hold(
        OpenMutexW(SYNCHRONIZE, FALSE, (UserName() + L".Quorlin.OneInstance.Default").c_str()));
    ASSERT_TRUE(hold);
    first->proc.Kill();
    ASSERT_FALSE(first->Running());

    auto next = LaunchFirst();
    EXPECT_TRUE(next->Running());
    // And the new owner guards again.
    auto second = Launch();
    ExpectEndsAsSecond(*second);
    next->Close();
}

TEST(OneInstanceEndToEnd, SimultaneousStartsLeaveExactlyOne) {
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<Instance>> all;
        for (int i = 0; i < 5; ++i) all.push_back(Launch());
        // Everyone gets past its start-up: either it ended or it runs.
        for (auto& inst : all) {
            ASSERT_TRUE(inst->proc.process);
            EXPECT_TRUE(PumpUntil([&] { return inst->Has("running") || !inst->Running(); }, 20000)) << inst->Log();
        }
        PumpFor(1500);
        const auto running = std::count_if(all.begin(), all.end(), [](auto& i) { return i->Running(); });
        EXPECT_EQ(running, 1) << "round " << round;
        for (auto& inst : all)
            if (!inst->Running()) EXPECT_TRUE(inst->Has("exit")) << inst->Log();
        for (auto& inst : all) inst->Close();
    }
}

TEST(OneInstanceEndToEnd, AnotherUserNameIsNotBlocked) {
    auto first = LaunchFirst();
    auto other = LaunchFirst(L"quorlin-other");
    EXPECT_EQ(other->Field("user"), "quorlin-other") << other->Log();
    PumpFor(1000);
    EXPECT_TRUE(other->Running()) << other->Log();
    EXPECT_TRUE(first->Running());
    EXPECT_EQ(first->Count("activate"), 0) << first->Log();
    // Each user name has its own mutexes.
    quorlin::UniqueHandle m(OpenMutexW(SYNCHRONIZE, FALSE, L"quorlin-other.Quorlin.OneInstance.Default"));
    EXPECT_TRUE(m);
    // The other user's second start is blocked by the other user's instance only.
    auto otherSecond = Launch(L"quorlin-other");
    ExpectEndsAsSecond(*otherSecond);
    EXPECT_TRUE(first->Running());
    EXPECT_TRUE(other->Running());
    other->Close();
    first->Close();
}

TEST(OneInstanceEndToEnd, SameNamesInTheGlobalNamespaceDoNotBlock) {
    // Another session's process can only reach the global namespace: it holds both names there.
    const std::wstring global = L"Global\\" + UserName() + L".Quorlin.OneInstance.";
    quorlin::UniqueHandle instance(CreateMutexW(nullptr, TRUE, (global + L"Default").c_str()));
    quorlin::UniqueHandle critical(CreateMutexW(nullptr, TRUE, (global + L"CriticalSection").c_str()));
    ASSERT_TRUE(instance && critical);
    auto first = LaunchFirst();
    EXPECT_TRUE(first->Running());
    first->Close();
}

TEST(OneInstanceEndToEnd, RunningInstanceSurvivesAnotherProcessInItsCheck) {
    auto first = LaunchFirst();
    // This driver plays a process that is inside its check at this moment.
    const std::wstring cs = UserName() + L".Quorlin.OneInstance.CriticalSection";
    quorlin::UniqueHandle critical(CreateMutexW(nullptr, TRUE, cs.c_str()));
    ASSERT_TRUE(critical);
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    // The running instance's repeated check still answers that it is the one instance.
    PostMessageW(first->AppWindow(), kRecheck, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return first->Count("recheck") == 1; }, 5000)) << first->Log();
    EXPECT_TRUE(first->Has("recheck 0")) << first->Log();
    PumpFor(500);
    EXPECT_TRUE(first->Running());

    // A process starting now meets the critical section and ends as a second instance.
    auto starting = Launch();
    ExpectEndsAsSecond(*starting);
    EXPECT_TRUE(first->Running());

    ReleaseMutex(critical.get());
    critical.reset();
    // With the critical section gone the running instance still owns the instance mutex.
    PostMessageW(first->AppWindow(), kRecheck, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return first->Count("recheck") == 2; }, 5000)) << first->Log();
    EXPECT_EQ(first->Lines("recheck"), (std::vector<std::string>{"recheck 0", "recheck 0"}));
    auto second = Launch();
    ExpectEndsAsSecond(*second);
    first->Close();
}

}  // namespace
