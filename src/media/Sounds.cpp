#include "media/Sounds.h"

#include <optional>

#include "media/SoundPlayer.h"
#include "media/Tone.h"
#include "platform/SoundTheme.h"

namespace kairos {
namespace {

// MessageBeep's types, as the Windows message-box icon flags.
constexpr unsigned IconHand = 0x10;
constexpr unsigned IconQuestion = 0x20;
constexpr unsigned IconExclamation = 0x30;
constexpr unsigned IconAsterisk = 0x40;

const char* MessageBeepAlias(unsigned value) {
    switch (value) {
    case IconHand: return "SystemHand";
    case IconQuestion: return "SystemQuestion";
    case IconExclamation: return "SystemExclamation";
    case IconAsterisk: return "SystemAsterisk";
    default: return "SystemDefault";
    }
}

}  // namespace

bool PlaySoundFile(const std::string& fileName, SoundWait wait) {
    return ProcessSoundPlayer().PlayFile(fileName, wait);
}

bool PlaySystemSound(const std::string& alias, SoundWait wait) {
    // Spare the theme search while the answer is already known to be no.
    if (ProcessSoundGate().Busy()) return false;
    const std::string file = platform::EventSoundFile(alias);
    return !file.empty() && ProcessSoundPlayer().PlayFile(file, wait);
}

void SystemBeep(int frequencyHz, int durationMs) {
    if (const std::optional<platform::PcmSound> tone = SineTone(frequencyHz, durationMs))
        ProcessSoundPlayer().PlayAlongside(*tone);
}

void MessageBeep(unsigned value) {
    PlaySystemSound(MessageBeepAlias(value), SoundWait::Async);
}

}  // namespace kairos
