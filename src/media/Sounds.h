#pragma once
// Every sound of the program: WAV files, system event sounds and the beep
// (the repeated chime is RepeatedSound). No call reports a failure to the user: a sound that
// cannot be played is simply not heard.
//
// No-interrupt rule: while any sound of this process plays, a new play fails
// at once and returns false; a sound is never cut off by another. The beep is
// the exception: it sounds over whatever plays and never makes a play fail.

#include <string>

namespace kairos {

enum class SoundWait { Async, Sync };

// A WAV file once. Async returns once the sound has started, Sync when it
// has ended. No default sound: an empty name, a missing or unreadable file,
// a busy or missing output give false and silence.
bool PlaySoundFile(const std::string& fileName, SoundWait wait);

// A system event sound by alias ("Minimize", "RestoreUp", "SystemAsterisk",
// "SystemExclamation", "SystemHand", "SystemQuestion", ...), from the
// freedesktop sound theme. An alias the theme has no sound for: false.
bool PlaySystemSound(const std::string& alias, SoundWait wait);

// The system beep: a sine tone of that frequency (37 to 20000 Hz) and length
// (up to 60 s); returns when it is over. Independent of the no-interrupt
// rule: it plays on its own output stream, mixed with any sound that plays
// and with any other beep, and a sound started during it plays as well.
void SystemBeep(int frequencyHz, int durationMs);

// The sound of a message-box type, asynchronously: 0x30 warning, 0x10 error,
// 0x40 information, 0x20 question, anything else the default sound.
void MessageBeep(unsigned value);

}  // namespace kairos
