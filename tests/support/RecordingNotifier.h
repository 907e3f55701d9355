#pragma once
// A notification service that only keeps what it was shown, and lets the
// test pick a notice's action.

#include <functional>
#include <vector>

#include "shell/Notifier.h"

namespace kairos::testing {

class RecordingNotifier final : public Notifier {
public:
    struct Shown {
        Notice notice;
        std::function<void()> onAction;
    };
    std::vector<Shown> shown;

    void Show(const Notice& notice, std::function<void()> onAction) override {
        shown.push_back({notice, std::move(onAction)});
    }
};

}  // namespace kairos::testing
