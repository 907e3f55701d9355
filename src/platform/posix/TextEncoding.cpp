#include "platform/TextEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <string>

namespace kairos::platform {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (IsOpen()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return handle_ != Invalid(); }

    DecodedText Convert(std::string_view bytes);

private:
    static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }

    // One call of iconv into the free tail of out, which doubles whenever
    // iconv runs out of room (half-width katakana grow from one byte to
    // three). 0, or the errno that stopped it at a bad or cut sequence.
    int Step(char** in, std::size_t* inLeft, std::string& out, std::size_t& used);

    iconv_t handle_;
};

int Converter::Step(char** in, std::size_t* inLeft, std::string& out, std::size_t& used) {
    for (;;) {
        char* next = out.data() + used;
        std::size_t room = out.size() - used;
        const std::size_t result = iconv(handle_, in, inLeft, &next, &room);
        used = static_cast<std::size_t>(next - out.data());
        if (result != static_cast<std::size_t>(-1)) return 0;
        if (errno != E2BIG) return errno;  // EILSEQ: undefined bytes; EINVAL: cut at the end
        out.resize(out.size() * 2);
    }
}

DecodedText Converter::Convert(std::string_view bytes) {
    DecodedText decoded;
    std::string out(bytes.size() * 2 + 16, '\0');
    std::size_t used = 0;
    // iconv never writes through its input pointer; POSIX merely declares it
    // without const.
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (Step(&in, &inLeft, out, used) != 0) {
        // The byte iconv stopped at stands for nothing; the next one may
        // begin a character again (a lead byte without its trail byte is
        // followed by an ordinary one).
        decoded.unreadable.push_back(static_cast<std::size_t>(in - bytes.data()));
        if (out.size() - used < ReplacementCharacter.size()) out.resize(out.size() * 2);
        out.replace(used, ReplacementCharacter.size(), ReplacementCharacter);
        used += ReplacementCharacter.size();
        ++in;
        --inLeft;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    }
    // Flushes a pending shift state; a no-op for code page 932, kept so the
    // converter stays correct for any source encoding.
    Step(nullptr, nullptr, out, used);
    out.resize(used);
    decoded.text = std::move(out);
    return decoded;
}

}  // namespace

std::optional<DecodedText> DecodeCp932(std::string_view bytes) {
    Converter converter("UTF-8", "CP932");
    if (!converter.IsOpen()) return std::nullopt;
    return converter.Convert(bytes);
}

}  // namespace kairos::platform
