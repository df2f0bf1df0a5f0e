#include "shell/Component.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace quorlin;

namespace {

std::vector<std::string> g_trace;

class Recorder : public TComponent {
public:
    Recorder(TComponentOwner& owner, std::string name) : TComponent(owner), name_(std::move(name)) {
        g_trace.push_back("create " + name_);
    }
    ~Recorder() override { g_trace.push_back("destroy " + name_); }
    void Loaded() override {
        TComponent::Loaded();
        g_trace.push_back("loaded " + name_);
    }

private:
    std::string name_;
};

// A window that owns its components as members, like the main window does.
struct Form : TComponentOwner {
    Recorder first{*this, "AppProps"};
    Recorder second{*this, "TrayIcon"};
    Form() { LoadComponents(); }
};

TEST(ComponentModel, LoadedRunsInDesignOrderAndTeardownIsReversed) {
    g_trace.clear();
    {
        Form form;
        EXPECT_FALSE(form.first.Loading());
        EXPECT_EQ(form.Components().size(), 2u);
        form.LoadComponents();  // a second call changes nothing
    }
    EXPECT_EQ(g_trace, (std::vector<std::string>{"create AppProps", "create TrayIcon", "loaded AppProps",
                                                 "loaded TrayIcon", "destroy TrayIcon", "destroy AppProps"}));
}

TEST(ComponentModel, ComponentLeavesItsOwnerWhenDestroyed) {
    TComponentOwner owner;
    auto a = std::make_unique<Recorder>(owner, "a");
    Recorder b(owner, "b");
    EXPECT_TRUE(b.Loading());
    a.reset();
    ASSERT_EQ(owner.Components().size(), 1u);
    EXPECT_EQ(owner.Components()[0], &b);
    owner.LoadComponents();
    EXPECT_FALSE(b.Loading());
}

}  // namespace
