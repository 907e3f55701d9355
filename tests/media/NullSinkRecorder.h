#pragma once
// Records what the null sink "kairos_test" of scripts/start-pulse.sh plays,
// through its monitor. The real-sound tests run only against that sink, so
// that no test ever sounds on a real output.

#include <pulse/error.h>
#include <pulse/simple.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace kairos::testing {

inline constexpr int RecordRate = 48000;
inline constexpr char TestSink[] = "kairos_test";

// Why the real-sound tests cannot run here; empty when they can.
inline std::string NullSinkUnavailable() {
    const char* server = std::getenv("PULSE_SERVER");
    if (server == nullptr || *server == '\0')
        return "PULSE_SERVER is not set: start the test sound server with eval \"$(scripts/start-pulse.sh)\"";
    struct PipeClose {
        void operator()(FILE* pipe) const { pclose(pipe); }
    };
    const std::unique_ptr<FILE, PipeClose> pipe(popen("pactl get-default-sink 2>/dev/null", "r"));
    char line[256] = {};
    if (!pipe || std::fgets(line, sizeof(line), pipe.get()) == nullptr)
        return std::string("no sound server answers at ") + server;
    std::string sink(line);
    while (!sink.empty() && (sink.back() == '\n' || sink.back() == '\r')) sink.pop_back();
    if (sink != TestSink)
        return "the default output at " + std::string(server) + " is \"" + sink + "\", not the null sink " + TestSink;
    return {};
}

class NullSinkRecorder {
public:
    NullSinkRecorder() {
        const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, RecordRate, 1};
        const auto unset = static_cast<std::uint32_t>(-1);
        // Small fragments, so that a stop loses at most 10 ms.
        const pa_buffer_attr attr{unset, unset, unset, unset, ChunkFrames * sizeof(float)};
        int error = 0;
        const std::string monitor = std::string(TestSink) + ".monitor";
        stream_.reset(pa_simple_new(nullptr, "Kairos tests", PA_STREAM_RECORD, monitor.c_str(), "recorder", &spec,
                                    nullptr, &attr, &error));
        if (!stream_) throw std::runtime_error(std::string("cannot record the null sink: ") + pa_strerror(error));
        reader_ = std::jthread([this](std::stop_token stop) { Read(stop); });
    }

    std::vector<float> Stop() {
        reader_.request_stop();
        if (reader_.joinable()) reader_.join();
        return std::move(samples_);
    }

private:
    static constexpr std::size_t ChunkFrames = RecordRate / 100;

    struct SimpleFree {
        void operator()(pa_simple* stream) const { pa_simple_free(stream); }
    };

    void Read(const std::stop_token& stop) {
        std::vector<float> chunk(ChunkFrames);
        while (!stop.stop_requested()) {
            if (pa_simple_read(stream_.get(), chunk.data(), chunk.size() * sizeof(float), nullptr) < 0) return;
            samples_.insert(samples_.end(), chunk.begin(), chunk.end());
        }
    }

    std::unique_ptr<pa_simple, SimpleFree> stream_;
    std::vector<float> samples_;  // the reader's alone until it is joined
    std::jthread reader_;         // last: joined before the stream is freed
};

}  // namespace kairos::testing
