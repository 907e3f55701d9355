#include "platform/CommandLine.h"

#include <cstddef>
#include <utility>

namespace kairos::platform {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Inside double quotes a backslash protects only what would otherwise end
// the quote or start an expansion; before anything else it is itself.
bool EscapableInDoubleQuotes(char c) {
    return c == '$' || c == '`' || c == '"' || c == '\\';
}

class Splitter {
public:
    explicit Splitter(std::string_view text) : text_(text) {}

    std::optional<std::vector<std::string>> Split() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (!TakeCharacter(c)) return std::nullopt;
        }
        EndWord();
        return std::move(words_);
    }

private:
    // False for a quote that is never closed.
    bool TakeCharacter(char c) {
        if (IsBlank(c)) {
            EndWord();
            return true;
        }
        if (c == '\'') return TakeSingleQuoted();
        if (c == '"') return TakeDoubleQuoted();
        if (c == '\\') {
            TakeEscaped();
        } else {
            Append(c);
        }
        return true;
    }

    bool TakeSingleQuoted() {
        const std::size_t end = text_.find('\'', pos_);
        if (end == std::string_view::npos) return false;
        Append(text_.substr(pos_, end - pos_));
        pos_ = end + 1;
        return true;
    }

    bool TakeDoubleQuoted() {
        inWord_ = true;  // "" is a word of its own
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') return true;
            if (c == '\\' && pos_ < text_.size()) {
                const char next = text_[pos_];
                if (next == '\n' || EscapableInDoubleQuotes(next)) {
                    ++pos_;
                    if (next != '\n') word_ += next;
                    continue;
                }
            }
            word_ += c;
        }
        return false;
    }

    // A backslash-newline joins lines and leaves no trace, not even the
    // start of a word.
    void TakeEscaped() {
        if (pos_ == text_.size()) {
            Append('\\');
            return;
        }
        const char next = text_[pos_++];
        if (next != '\n') Append(next);
    }

    void Append(char c) {
        word_ += c;
        inWord_ = true;
    }
    void Append(std::string_view piece) {
        word_ += piece;
        inWord_ = true;
    }

    void EndWord() {
        if (inWord_) words_.push_back(std::exchange(word_, {}));
        inWord_ = false;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::vector<std::string> words_;
    std::string word_;
    bool inWord_ = false;
};

}  // namespace

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view commandLine) {
    if (commandLine.find('\0') != std::string_view::npos) return std::nullopt;
    return Splitter(commandLine).Split();
}

}  // namespace kairos::platform
