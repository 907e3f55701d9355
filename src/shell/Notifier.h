#pragma once
// Where the clock window sends its desktop notifications: the desktop's
// notification service, or whatever a test puts in its place.

#include <functional>

#include "alarms/AlarmNotice.h"

namespace kairos {

class Notifier {
public:
    virtual ~Notifier() = default;
    // Shows the notice and returns at once. onAction runs on the window's
    // thread if the user picks the notice's action; a notice that cannot be
    // shown is dropped without a word, since the date line tells it too.
    virtual void Show(const Notice& notice, std::function<void()> onAction) = 0;
};

}  // namespace kairos
