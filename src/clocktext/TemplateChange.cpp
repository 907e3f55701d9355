#include "clocktext/TemplateChange.h"

#include <array>
#include <string>

#include "clocktext/LocaleFormatSettings.h"
#include "clocktext/RenderTemplate.h"
#include "platform/Utf8.h"

namespace kairos {
namespace {

// What a run-time token leaves in the picture and how often its value moves.
// Every value is digits or a line break, which the picture language copies
// as they are, so one digit stands for a number of any length.
struct TokenEffect {
    std::string_view token;
    std::string_view standIn;
    ChangeUnit unit;
};

constexpr std::array<TokenEffect, RunTimeTokens.size()> TokenEffects = {{
    {"%tch", "0", ChangeUnit::Minute},
    {"%tcn", "0", ChangeUnit::Minute},
    {"%tcs", "0", ChangeUnit::Second},
    {"%tcms", "0", ChangeUnit::Millisecond},
    {"%tcm", "0", ChangeUnit::Millisecond},
    {"%n", "\r\n", ChangeUnit::Never},
}};

// The tokens must be tried in RenderTemplate's order, or "%tcms" would be
// read here as "%tcm" and a month.
constexpr bool SameOrderAsRenderTemplate() {
    for (std::size_t i = 0; i < RunTimeTokens.size(); ++i)
        if (TokenEffects[i].token != RunTimeTokens[i]) return false;
    return true;
}
static_assert(SameOrderAsRenderTemplate());

struct ReplacedTemplate {
    std::string picture;
    ChangeUnit uptime = ChangeUnit::Never;
};

ReplacedTemplate ReplaceTokens(std::string_view text) {
    ReplacedTemplate out;
    out.picture.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t percent = text.find('%', pos);
        out.picture.append(text.substr(pos, percent == std::string_view::npos ? percent : percent - pos));
        if (percent == std::string_view::npos) break;
        pos = percent;
        const TokenEffect* match = nullptr;
        for (const TokenEffect& effect : TokenEffects) {
            if (text.compare(pos, effect.token.size(), effect.token) == 0) {
                match = &effect;
                break;
            }
        }
        if (match == nullptr) {
            out.picture.push_back('%');
            ++pos;
            continue;
        }
        out.picture.append(match->standIn);
        out.uptime = Finer(out.uptime, match->unit);
        pos += match->token.size();
    }
    return out;
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view form) {
    if (text.size() - pos < form.size()) return false;
    for (std::size_t i = 0; i < form.size(); ++i)
        if (UpperAscii(text[pos + i]) != form[i]) return false;
    return true;
}

// Case counts: FormatMoment reads "Yyyy" as a run of one and one of three.
std::size_t RunLength(std::string_view text, std::size_t pos) {
    std::size_t run = 1;
    while (pos + run < text.size() && text[pos + run] == text[pos]) ++run;
    return run;
}

// One piece of a picture: the bytes it takes and how often what it shows moves.
struct Piece {
    std::size_t length;
    ChangeUnit unit;
};

// Follows FormatMoment's reading piece by piece, so that every byte is a
// token or literal text here exactly when it is there.
class PictureReader {
public:
    explicit PictureReader(const LocaleFormatSettings& locale) : locale_(locale) {}

    ChangeUnit Read(std::string_view picture, int level) const;

private:
    // FormatMoment expands a locale picture inside the template, but not a
    // picture named inside that one.
    static constexpr int kDeepestLevel = 2;

    Piece ReadPiece(std::string_view p, std::size_t pos, int innerLevel) const;
    static Piece ReadMarker(std::string_view p, std::size_t pos);
    static Piece ReadQuoted(std::string_view p, std::size_t pos);

    const LocaleFormatSettings& locale_;
};

ChangeUnit PictureReader::Read(std::string_view picture, int level) const {
    if (picture.empty() || level >= kDeepestLevel) return ChangeUnit::Never;
    ChangeUnit unit = ChangeUnit::Never;
    std::size_t pos = 0;
    while (pos < picture.size()) {
        const Piece piece = ReadPiece(picture, pos, level + 1);
        unit = Finer(unit, piece.unit);
        pos += piece.length;
    }
    return unit;
}

Piece PictureReader::ReadPiece(std::string_view p, std::size_t pos, int innerLevel) const {
    const std::size_t charLength = Utf8CharLength(p, pos);
    if (charLength > 1) return {charLength, ChangeUnit::Never};
    // An m after an h is a minute rather than a month; both count as a
    // minute here, so which one it is does not matter.
    switch (UpperAscii(p[pos])) {
    case 'Y':
    case 'M':
    case 'E':
    case 'G':
    case 'H':
    case 'N':
        return {RunLength(p, pos), ChangeUnit::Minute};
    case 'S':
        return {RunLength(p, pos), ChangeUnit::Second};
    case 'Z':
        return {RunLength(p, pos), ChangeUnit::Millisecond};
    case 'D': {
        const std::size_t run = RunLength(p, pos);
        if (run <= 4) return {run, ChangeUnit::Minute};
        return {run, Read(run == 5 ? locale_.ShortDatePicture : locale_.LongDatePicture, innerLevel)};
    }
    case 'T': {
        const std::size_t run = RunLength(p, pos);
        return {run, Read(run == 1 ? locale_.ShortTimePicture : locale_.LongTimePicture, innerLevel)};
    }
    case 'C': {
        // The time is left out at midnight exactly, so the text moves on the
        // second even when neither picture shows seconds, and even where the
        // pictures are too deep to show anything at all.
        const ChangeUnit pictures =
            Finer(Read(locale_.ShortDatePicture, innerLevel), Read(locale_.LongTimePicture, innerLevel));
        return {RunLength(p, pos), Finer(ChangeUnit::Second, pictures)};
    }
    case 'A':
        return ReadMarker(p, pos);
    case '\'':
    case '"':
        return ReadQuoted(p, pos);
    default:
        return {1, ChangeUnit::Never};
    }
}

// Tried in FormatMoment's order: a lone a that begins none of them is text.
Piece PictureReader::ReadMarker(std::string_view p, std::size_t pos) {
    for (const std::string_view form : {"AM/PM", "A/P", "AMPM", "AAAA", "AAA"})
        if (StartsWithNoCase(p, pos, form)) return {form.size(), ChangeUnit::Minute};
    return {1, ChangeUnit::Never};
}

// An unclosed quote runs to the end of the picture.
Piece PictureReader::ReadQuoted(std::string_view p, std::size_t pos) {
    const char quote = p[pos];
    std::size_t end = pos + 1;
    while (end < p.size() && p[end] != quote) end += Utf8CharLength(p, end);
    return {(end < p.size() ? end + 1 : p.size()) - pos, ChangeUnit::Never};
}

constexpr int Fineness(ChangeUnit unit) {
    switch (unit) {
    case ChangeUnit::Never:
        return 0;
    case ChangeUnit::Minute:
        return 1;
    case ChangeUnit::Second:
        return 2;
    case ChangeUnit::Millisecond:
        return 3;
    }
    return 3;  // a value outside the enum: the finest is the safe answer
}

}  // namespace

ChangeUnit Finer(ChangeUnit a, ChangeUnit b) {
    return Fineness(a) >= Fineness(b) ? a : b;
}

TemplateChange AnalyseTemplate(std::string_view templateText, const LocaleFormatSettings& locale) {
    const ReplacedTemplate replaced = ReplaceTokens(templateText);
    // Every token leaves something behind, so only an empty template gives an
    // empty picture, which FormatMoment renders like "c".
    const std::string_view picture = replaced.picture.empty() ? std::string_view("C") : replaced.picture;
    return {PictureReader(locale).Read(picture, 0), replaced.uptime};
}

}  // namespace kairos
