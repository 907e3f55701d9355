// Sound files are decoded with libsndfile, which reads WAV in every integer
// and float encoding and, in Debian's build, FLAC and Ogg as well: the theme
// sounds are Ogg Vorbis, and a chime in another format it knows does no harm.
// The same library lists the file types it reads for the file dialogs.

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

#include "platform/SoundFile.h"

namespace kairos::platform {
namespace {

constexpr sf_count_t ChunkFrames = 65536;

class Descriptor {
public:
    explicit Descriptor(int value) : value_(value) {}
    ~Descriptor() {
        if (value_ >= 0) close(value_);
    }
    Descriptor(Descriptor&& other) noexcept : value_(std::exchange(other.value_, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;
    int Get() const { return value_; }

private:
    int value_;
};

struct SoundFileClose {
    void operator()(SNDFILE* file) const noexcept { sf_close(file); }
};
using SoundFileHandle = std::unique_ptr<SNDFILE, SoundFileClose>;

// Non-blocking, so that a FIFO or device node given as a sound file does not
// hold the caller until someone writes to it; only regular files go on.
Descriptor OpenRegularFile(const std::string& path) {
    int descriptor = -1;
    do {
        descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    Descriptor file(descriptor);
    struct stat info {};
    if (descriptor < 0 || fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) return Descriptor(-1);
    return file;
}

// In chunks: a header may claim more frames than the file holds (a cut-off
// download), and some formats do not know their length in advance.
std::vector<float> ReadSamples(SNDFILE* file, int channels) {
    const auto maxFrames = static_cast<sf_count_t>(MaxDecodedSamples / static_cast<std::size_t>(channels));
    std::vector<float> samples;
    sf_count_t total = 0;
    while (total < maxFrames) {
        const sf_count_t want = std::min(ChunkFrames, maxFrames - total);
        samples.resize(static_cast<std::size_t>((total + want) * channels));
        const sf_count_t got = sf_readf_float(file, samples.data() + total * channels, want);
        if (got <= 0) break;
        total += got;
    }
    samples.resize(static_cast<std::size_t>(total * channels));
    return samples;
}

// An extension in common use that neither of the decoder's lists names.
struct ExtraExtension {
    int type;
    const char* extension;
};
constexpr ExtraExtension kExtraExtensions[] = {{SF_FORMAT_AIFF, "aif"}};

// Entry index of one of the decoder's format lists, or nothing.
std::optional<SF_FORMAT_INFO> FormatEntry(int command, int index) {
    SF_FORMAT_INFO info{};
    info.format = index;
    if (sf_command(nullptr, command, &info, sizeof info) != 0 || info.name == nullptr) return std::nullopt;
    return info;
}

int EntryCount(int command) {
    int count = 0;
    if (sf_command(nullptr, command, &count, sizeof count) != 0) return 0;
    return std::max(count, 0);
}

void AddExtension(std::vector<std::string>& extensions, const char* extension) {
    if (extension == nullptr || *extension == '\0') return;
    std::string lower(extension);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (std::find(extensions.begin(), extensions.end(), lower) == extensions.end()) extensions.push_back(lower);
}

}  // namespace

// The major formats are the file types with one extension each; the simple
// formats, the common encodings, add the other names their types go by
// ("ogg" and "opus" beside "oga", "mp3" beside "m1a").
std::vector<SoundFileType> ReadableSoundFileTypes() {
    std::vector<std::pair<int, SoundFileType>> types;
    const int majorCount = EntryCount(SFC_GET_FORMAT_MAJOR_COUNT);
    for (int i = 0; i < majorCount; ++i) {
        const std::optional<SF_FORMAT_INFO> info = FormatEntry(SFC_GET_FORMAT_MAJOR, i);
        if (!info || (info->format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RAW) continue;
        SoundFileType type{info->name, {}};
        AddExtension(type.extensions, info->extension);
        types.emplace_back(info->format & SF_FORMAT_TYPEMASK, std::move(type));
    }
    const auto addTo = [&types](int format, const char* extension) {
        for (auto& [type, entry] : types)
            if (type == (format & SF_FORMAT_TYPEMASK)) AddExtension(entry.extensions, extension);
    };
    const int simpleCount = EntryCount(SFC_GET_SIMPLE_FORMAT_COUNT);
    for (int i = 0; i < simpleCount; ++i)
        if (const std::optional<SF_FORMAT_INFO> info = FormatEntry(SFC_GET_SIMPLE_FORMAT, i))
            addTo(info->format, info->extension);
    for (const ExtraExtension& extra : kExtraExtensions) addTo(extra.type, extra.extension);

    std::vector<SoundFileType> readable;
    for (auto& [type, entry] : types)
        if (!entry.extensions.empty()) readable.push_back(std::move(entry));
    return readable;
}

std::optional<PcmSound> DecodeSoundFile(const std::string& path) {
    if (path.empty()) return std::nullopt;
    const Descriptor descriptor = OpenRegularFile(path);
    if (descriptor.Get() < 0) return std::nullopt;
    SF_INFO info{};
    // The descriptor stays ours (close_desc false): whether libsndfile closes
    // it on a failed open is not documented.
    const SoundFileHandle file(sf_open_fd(descriptor.Get(), SFM_READ, &info, SF_FALSE));
    if (!file || info.channels <= 0 || info.samplerate <= 0) return std::nullopt;
    PcmSound sound{info.samplerate, info.channels, ReadSamples(file.get(), info.channels)};
    if (sound.samples.empty()) return std::nullopt;
    return sound;
}

}  // namespace kairos::platform
