#pragma once
// The icon component under the class name the clock window's form uses.

#include "shell/TrayIcon.h"

namespace kairos {

class TRerTray final : public T_TaskTray {
    Q_OBJECT
public:
    using T_TaskTray::T_TaskTray;
};

}  // namespace kairos
