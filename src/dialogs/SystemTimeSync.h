#pragma once
// Whether the system's own time service keeps the clock, as
// systemd-timedated tells it on the system bus. Where it does, Kairos's
// periodic correction is not needed; the preferences say so.

#include <QVariantMap>

#include <functional>

class QObject;

namespace kairos {

// timedated's properties (org.freedesktop.timedate1): NTP, its own time
// service is on, or NTPSynchronized, the kernel's clock is kept
// synchronised (by chrony or ntpd too). Missing properties count as false.
bool SystemTimeSyncActive(const QVariantMap& properties);

// Asks timedated without waiting. answer runs later on this thread with what
// it said, or never: without a system bus, without timedated, after an error
// or once context is gone.
void QuerySystemTimeSync(QObject* context, std::function<void(bool active)> answer);

}  // namespace kairos
