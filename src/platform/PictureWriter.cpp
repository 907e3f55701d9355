#include "platform/PictureWriter.h"

#include <utility>

namespace kairos::platform {
namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

void PictureWriter::Field(std::string_view text) {
    if (text.empty()) return;
    CloseQuote();
    // Two fields of the same letter side by side (ICU "dE" becomes d and ddd)
    // would read as one longer run; an empty literal keeps them apart.
    if (lastWasField_ && out_.back() == text.front()) out_ += "''";
    out_ += text;
    lastWasField_ = true;
}

void PictureWriter::Literal(std::string_view character) {
    lastWasField_ = false;
    const char c = character.empty() ? '\0' : character.front();
    const bool mustQuote = character.size() == 1 && (IsAsciiLetter(c) || c == '\'' || c == '"');
    if (!mustQuote) {
        CloseQuote();
        out_ += character;
        return;
    }
    // A letter fits inside either quote; a quote character only inside the
    // other one.
    const char needed = c == '\'' ? '"' : '\'';
    const bool fits = openQuote_ != '\0' && (IsAsciiLetter(c) || openQuote_ == needed);
    if (!fits) {
        CloseQuote();
        openQuote_ = needed;
        out_ += openQuote_;
    }
    out_ += c;
}

std::string PictureWriter::Finish() {
    CloseQuote();
    return std::move(out_);
}

void PictureWriter::CloseQuote() {
    if (openQuote_ == '\0') return;
    out_ += openQuote_;
    openQuote_ = '\0';
}

}  // namespace kairos::platform
