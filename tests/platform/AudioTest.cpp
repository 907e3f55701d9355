#include "platform/Audio.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace kairos::platform {
namespace {

// A sound server that takes connections and never answers.
class SilentServer {
public:
    explicit SilentServer(const std::string& path) : descriptor_(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        if (bind(descriptor_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
            listen(descriptor_, 8) != 0)
            ADD_FAILURE() << "cannot listen on " << path;
    }
    ~SilentServer() { close(descriptor_); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

private:
    int descriptor_;
};

// Refused without a start, within the connect limit plus slack for a loaded
// machine: libpulse alone would wait 30 s for a silent server's answer. The
// server addresses are this test's own, never the user's server.
TEST(PlayPcmTest, MissingOrSilentServerIsGivenUpInTime) {
    testing::TempDir dir;
    const SilentServer silent(dir.File("silent"));
    testing::ScopedEnvironment env;
    for (const char* socketName : {"nobody-listens", "silent"}) {
        env.Set("PULSE_SERVER", "unix:" + dir.File(socketName));
        bool started = false;
        const auto begin = std::chrono::steady_clock::now();
        EXPECT_FALSE(PlayPcm(PcmSound{48000, 1, std::vector<float>(4800, 0.25f)}, [&] { started = true; }));
        EXPECT_LT(std::chrono::steady_clock::now() - begin, OutputConnectLimit + std::chrono::seconds(8));
        EXPECT_FALSE(started) << socketName;
    }
}

}  // namespace
}  // namespace kairos::platform
