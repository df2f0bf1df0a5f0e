// The online features: the report transport's life, the usage reports with their throttle, and
// the reports the minutes timer makes.
#pragma once
#include <string_view>

#include "ui/features/Feature.h"

namespace quorlin {

class Online : public Feature {
public:
    // browserParent: the hidden window the transport's browsers belong to.
    Online(FeatureHost& host, HWND browserParent);
    ~Online() override;

    void Report(std::string_view name, std::string_view extra, bool force);

    void MinutesTick() override;

private:
    bool firstReportPending_ = true;
    double lastReportTime_ = 0;
};

}  // namespace quorlin
