#pragma once
// Writes a date picture in the clock's picture language, for the translators
// of the system's own date formats (ICU patterns, Windows pictures).

#include <string>
#include <string_view>

namespace kairos::platform {

// In the clock's language every ASCII letter is read as a token and both
// quote characters open a literal, so such literals are quoted; an apostrophe
// can only be quoted with double quotes and a double quote only with
// apostrophes. Everything else is written bare.
class PictureWriter {
public:
    // A field in the clock's letters ("dd", "MMMM"); an empty one writes
    // nothing.
    void Field(std::string_view text);

    // One literal character as UTF-8 (one byte if it is malformed).
    void Literal(std::string_view character);

    std::string Finish();

private:
    void CloseQuote();

    std::string out_;
    char openQuote_ = '\0';
    bool lastWasField_ = false;
};

}  // namespace kairos::platform
