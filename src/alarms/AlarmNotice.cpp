#include "alarms/AlarmNotice.h"

#include <algorithm>

#include "clocktext/FormatMoment.h"

namespace kairos {

Notice AlarmRangNotice(const Alarm& alarm, Moment rangAt) {
    Notice notice{"アラーム " + FormatMoment("h:nn", rangAt), alarm.Message};
    if (!alarm.Message.empty()) notice.urgency = NoticeUrgency::Critical;
    if (alarm.Snooze != SnoozeInterval::Off) notice.action = NoticeAction::StopSeries;
    return notice;
}

Notice MissedAlarmsNotice(const std::vector<MissedAlarm>& missed) {
    // Whoever comes back to the machine should find it still there.
    Notice notice{"見逃したアラーム", "", NoticeUrgency::Critical};
    for (const MissedAlarm& alarm : missed) {
        if (!notice.body.empty()) notice.body += '\n';
        notice.body += FormatMoment("h:nn", alarm.due) + " ";
        notice.body += alarm.message.empty() ? std::string(UntitledAlarm) : alarm.message;
    }
    if (std::ranges::any_of(missed, &MissedAlarm::removesItself))
        notice.body += "\n一度だけのアラームは削除せずに残してあります。";
    return notice;
}

}  // namespace kairos
