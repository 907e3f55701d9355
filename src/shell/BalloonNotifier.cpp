#include "shell/BalloonNotifier.h"

#include <QString>

namespace kairos {
namespace {

// Windows keeps a balloon up at least as long as its accessibility setting
// says and gives it to the notification centre afterwards; the times are
// what other systems use.
constexpr int NormalMs = 10000;
constexpr int CriticalMs = 60000;

}  // namespace

void BalloonNotifier::Show(const Notice& notice, std::function<void()>) {
    if (tray_.isNull()) return;
    tray_->ShowMessage(QString::fromStdString(notice.summary), QString::fromStdString(notice.body),
                       notice.urgency == NoticeUrgency::Critical ? CriticalMs : NormalMs);
}

}  // namespace kairos
