#include "platform/win32/DatePicture.h"

#include <cstddef>

#include "platform/PictureWriter.h"
#include "platform/Utf8.h"

namespace kairos::platform {
namespace {

bool IsPictureLetter(char c) {
    return c == 'd' || c == 'M' || c == 'y' || c == 'g';
}

std::size_t RunLength(std::string_view text, std::size_t pos) {
    std::size_t end = pos + 1;
    while (end < text.size() && text[end] == text[pos]) ++end;
    return end - pos;
}

// The clock knows no day run longer than four (five and six name whole
// date pictures) and no month run longer than four.
std::string_view ClampedRun(std::string_view picture, std::size_t pos, std::size_t run) {
    const char c = picture[pos];
    const std::size_t limit = (c == 'd' || c == 'M') ? 4 : run;
    return picture.substr(pos, run < limit ? run : limit);
}

}  // namespace

std::string TranslateWindowsDatePicture(std::string_view picture) {
    PictureWriter writer;
    bool quoted = false;
    std::size_t pos = 0;
    while (pos < picture.size()) {
        const char c = picture[pos];
        if (c == '\'' && pos + 1 < picture.size() && picture[pos + 1] == '\'') {
            writer.Literal("'");
            pos += 2;
        } else if (c == '\'') {
            quoted = !quoted;
            ++pos;
        } else if (!quoted && IsPictureLetter(c)) {
            const std::size_t run = RunLength(picture, pos);
            writer.Field(ClampedRun(picture, pos, run));
            pos += run;
        } else {
            const std::size_t length = Utf8CharLength(picture, pos);
            writer.Literal(picture.substr(pos, length));
            pos += length;
        }
    }
    return writer.Finish();
}

}  // namespace kairos::platform
