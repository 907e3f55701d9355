// Windows has no decoder that reads a sound file into memory without COM
// (Media Foundation) or a codec pack, so sound files are WAV files, read by
// our own reader. The file is read whole rather than mapped: a mapped file
// on a network share that goes away raises an exception in the middle of
// the reader.

#include "platform/SoundFile.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

#include "platform/WavFile.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace kairos::platform {
namespace {

// Room for the widest samples the reader takes (64-bit float) up to its
// limit, and for the chunks before them.
constexpr std::uint64_t MaxFileBytes = MaxDecodedSamples * 8 + (std::uint64_t{1} << 20);
constexpr DWORD ReadChunkBytes = 1 << 20;

// Only a file on a disk: a pipe or a device would block or never end.
UniqueHandle OpenRegularFile(const std::string& path) {
    UniqueHandle file(CreateFileW(PathFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsOpen() || GetFileType(file.Get()) != FILE_TYPE_DISK) return {};
    return file;
}

// What the file holds up to MaxFileBytes; a read that fails midway keeps
// what came before it, as a cut-off file would.
std::string ReadAll(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0) return {};
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size.QuadPart, MaxFileBytes));
    std::string bytes(wanted, '\0');
    std::size_t filled = 0;
    while (filled < wanted) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(wanted - filled, ReadChunkBytes));
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + filled, chunk, &got, nullptr) || got == 0) break;
        filled += got;
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace

std::vector<SoundFileType> ReadableSoundFileTypes() {
    return {{"WAV (Microsoft)", {"wav"}}};
}

std::optional<PcmSound> DecodeSoundFile(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
    const UniqueHandle file = OpenRegularFile(path);
    if (!file.IsOpen()) return std::nullopt;
    return DecodeWav(ReadAll(file.Get()));
}

}  // namespace kairos::platform
