#pragma once
// Replies that must never set a clock, each made from a genuine one by
// spoiling exactly one thing, with the check that refuses it.

#include <chrono>
#include <ostream>

#include "nettime/ReplyCheck.h"

namespace kairos::testing {

struct Hostile {
    const char* name;
    void (*alter)(SntpPacket&);
    ReplyCheck check;
};
inline void PrintTo(const Hostile& h, std::ostream* os) { *os << h.name; }

inline NtpTimestamp Shifted(NtpTimestamp stamp, std::chrono::nanoseconds by) { return UtcToNtp(NtpToUtc(stamp) + by); }

inline platform::UtcTime UtcAt(int year, int month, int day) {
    return platform::UtcTime(std::chrono::sys_days(std::chrono::year(year) / month / day));
}

// The genuine reply was received 10 ms before it was sent, within a round
// trip of 100 ms.
inline const Hostile HostileReplies[] = {
    {"ClientMode", [](SntpPacket& r) { r.LeapVersionMode = 0x1B; }, ReplyCheck::NotServerMode},
    {"Version2", [](SntpPacket& r) { r.LeapVersionMode = (2 << 3) | 4; }, ReplyCheck::UnsupportedVersion},
    {"Version5", [](SntpPacket& r) { r.LeapVersionMode = (5 << 3) | 4; }, ReplyCheck::UnsupportedVersion},
    {"OtherOriginate", [](SntpPacket& r) { r.Originate.Fraction ^= 1; }, ReplyCheck::WrongOriginate},
    {"Unsynchronised", [](SntpPacket& r) { r.LeapVersionMode |= 0xC0; }, ReplyCheck::Unsynchronised},
    {"KissOfDeath", [](SntpPacket& r) { r.Stratum = 0; }, ReplyCheck::BadStratum},
    {"Stratum16", [](SntpPacket& r) { r.Stratum = 16; }, ReplyCheck::BadStratum},
    {"ReceiveZero", [](SntpPacket& r) { r.Receive = {}; }, ReplyCheck::ZeroTimestamp},
    {"TransmitZero", [](SntpPacket& r) { r.Transmit = {}; }, ReplyCheck::ZeroTimestamp},
    {"ReceiveTenYearsBack", [](SntpPacket& r) { r.Receive = Shifted(r.Receive, -std::chrono::hours(87'660)); },
     ReplyCheck::NegativeDelay},
    {"Receive1000sAfterTransmit", [](SntpPacket& r) { r.Receive = Shifted(r.Transmit, std::chrono::seconds(1000)); },
     ReplyCheck::DelayTooLong},
    {"TransmitIn1970", [](SntpPacket& r) { r.Transmit = UtcToNtp(UtcAt(1970, 1, 2)); }, ReplyCheck::DelayTooLong},
    {"TransmitIn2040", [](SntpPacket& r) { r.Transmit = UtcToNtp(UtcAt(2040, 1, 1)); }, ReplyCheck::NegativeDelay},
    {"TransmitSecondsWordOne", [](SntpPacket& r) { r.Transmit = {1, 0}; }, ReplyCheck::NegativeDelay},
    {"ServerHeldItLongerThanTheRoundTrip",
     [](SntpPacket& r) { r.Transmit = Shifted(r.Receive, std::chrono::milliseconds(200)); }, ReplyCheck::NegativeDelay},
    {"RootDelayAndDispersionOf32767s", [](SntpPacket& r) { r.RootDelay = r.RootDispersion = 0x7FFF'0000; },
     ReplyCheck::RootDistanceTooLong},
    {"RootDistanceOf16s", [](SntpPacket& r) { r.RootDispersion = 0x0010'0000; }, ReplyCheck::RootDistanceTooLong},
};

}  // namespace kairos::testing
