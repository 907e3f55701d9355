#pragma once
// How soon a rendered template can show a different text, so that the clock
// can sleep until then instead of redrawing on a short timer.

#include <string_view>

namespace kairos {

struct LocaleFormatSettings;

// The smallest unit a text shows. Anything coarser than a minute counts as a
// minute: the clock wakes at least that often anyway.
enum class ChangeUnit { Never, Millisecond, Second, Minute };

// Wall-clock parts change on the local time's boundaries; uptime tokens on
// the tick count's.
struct TemplateChange {
    ChangeUnit wall = ChangeUnit::Never;
    ChangeUnit uptime = ChangeUnit::Never;

    friend bool operator==(const TemplateChange&, const TemplateChange&) = default;
};

// Whichever changes sooner; Never yields to any unit. For joining the
// answers of several templates shown at once.
ChangeUnit Finer(ChangeUnit a, ChangeUnit b);

// Reads the template the way RenderTemplate does. Where a part's unit is in
// doubt the finer one is answered: waking early costs a redraw, waking late
// shows a stale text.
TemplateChange AnalyseTemplate(std::string_view templateText, const LocaleFormatSettings& locale);

}  // namespace kairos
