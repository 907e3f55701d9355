// The INI store reads the settings file on every open, so its parse is
// measured against inih, a small C parser built for speed, on the same
// 1,000-section file, from text and from disk. inih has no writer; the save
// is measured against writing inih's result back with plain string appends,
// the floor for producing the same bytes. Last, the alarm list's load of a
// 100,000-alarm file beside the parse of the same file: every OK in the
// alarm dialog reloads the list.

#include <benchmark/benchmark.h>
#include <ini.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "alarms/Alarm.h"
#include "alarms/AlarmList.h"
#include "settings/IniStore.h"

namespace {

constexpr int SectionCount = 1000;

// Shaped like an alarm file: eight keys a section, Japanese messages, a
// macro path, CR LF line ends.
std::string MakeFile() {
    std::string text;
    for (int i = 0; i < SectionCount; ++i) {
        text += "[Alarm" + std::to_string(i) + "]\r\n";
        text += "Kind=akAtWeeks\r\nWeeks=wMon,wTue,wWed,wThu,wFri\r\nTime=07:30:00\r\n";
        text += "Message=起きる時間です " + std::to_string(i) + "\r\n";
        text += "Sound=%APPLICATION%\\alarm.wav\r\nCommand=\r\nSnooze=1\r\nOnce=0\r\n\r\n";
    }
    return text;
}

const std::string& FileText() {
    static const std::string text = MakeFile();
    return text;
}

// inih's answer kept as the store keeps its own: sections in order, each with
// its key=value lines.
struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
};
using Model = std::vector<Section>;

int Collect(void* user, const char* section, const char* name, const char* value) {
    auto& model = *static_cast<Model*>(user);
    if (model.empty() || model.back().name != section) model.push_back({section, {}});
    model.back().values.emplace_back(name, value);
    return 1;
}

std::string Serialise(const Model& model) {
    std::string text;
    for (const Section& section : model) {
        text += '[';
        text += section.name;
        text += "]\r\n";
        for (const auto& [name, value] : section.values) {
            text += name;
            text += '=';
            text += value;
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

class TempFile {
public:
    explicit TempFile(const std::string& content = FileText()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "kairos-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
        path_ = (folder_ / "Alarm.ini").string();
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::filesystem::path folder_;
    std::string path_;
};

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileText().size()));
}

void ParseTextInih(benchmark::State& state) {
    for (auto _ : state) {
        Model model;
        if (ini_parse_string(FileText().c_str(), Collect, &model) != 0) state.SkipWithError("inih failed");
        benchmark::DoNotOptimize(model);
    }
    SetBytes(state);
}
BENCHMARK(ParseTextInih)->Name("Parse/text/inih");

void ParseTextStore(benchmark::State& state) {
    for (auto _ : state) {
        kairos::IniStore store("bench.ini", kairos::IniLoading::Empty);
        store.SetFileContent(FileText());
        benchmark::DoNotOptimize(store);
    }
    SetBytes(state);
}
BENCHMARK(ParseTextStore)->Name("Parse/text/store");

void ParseFileInih(benchmark::State& state) {
    const TempFile file;
    for (auto _ : state) {
        Model model;
        if (ini_parse(file.Path().c_str(), Collect, &model) != 0) state.SkipWithError("inih failed");
        benchmark::DoNotOptimize(model);
    }
    SetBytes(state);
}
BENCHMARK(ParseFileInih)->Name("Parse/file/inih");

void ParseFileStore(benchmark::State& state) {
    const TempFile file;
    for (auto _ : state) {
        kairos::IniStore store(file.Path());
        benchmark::DoNotOptimize(store);
    }
    SetBytes(state);
}
BENCHMARK(ParseFileStore)->Name("Parse/file/store");

void SaveTextInih(benchmark::State& state) {
    Model model;
    ini_parse_string(FileText().c_str(), Collect, &model);
    for (auto _ : state) benchmark::DoNotOptimize(Serialise(model));
    SetBytes(state);
}
BENCHMARK(SaveTextInih)->Name("Save/text/inih+append");

void SaveTextStore(benchmark::State& state) {
    kairos::IniStore store("bench.ini", kairos::IniLoading::Empty);
    store.SetFileContent(FileText());
    for (auto _ : state) benchmark::DoNotOptimize(store.FileContent());
    SetBytes(state);
}
BENCHMARK(SaveTextStore)->Name("Save/text/store");

// The whole SaveToDisk: a temporary file, fsync and rename, as the program
// does it; dominated by the file system, so it has no inih counterpart.
void SaveFileStore(benchmark::State& state) {
    const TempFile file;
    kairos::IniStore store(file.Path());
    for (auto _ : state) store.SaveToDisk();
    SetBytes(state);
}
BENCHMARK(SaveFileStore)->Name("Save/file/store")->UseRealTime();

constexpr int ManyAlarms = 100'000;

// As the clock writes them: every kind of key an alarm has.
std::string ManyAlarmsFile() {
    std::string text;
    for (int i = 0; i < ManyAlarms; ++i) {
        text += "[Alarm" + std::to_string(i + 1) + "]\r\nAlarmKind=akAtWeeks\r\nDate=2026/12/08\r\n";
        text += "Time=07:" + std::to_string(10 + i % 50) + ":00\r\nWeeks=wMon,wWed,wFri\r\nSnooze=sn5Minutes\r\n";
        text += "Message=起きる時間です " + std::to_string(i) + "\r\nCommand=\r\nRemoveOnExec=0\r\n\r\n";
    }
    return text;
}

void ParseManyAlarms(benchmark::State& state) {
    const TempFile file(ManyAlarmsFile());
    for (auto _ : state) {
        kairos::IniStore store(file.Path());
        benchmark::DoNotOptimize(store);
    }
}
BENCHMARK(ParseManyAlarms)->Name("Alarms100k/parse")->Unit(benchmark::kMillisecond)->UseRealTime();

void LoadManyAlarms(benchmark::State& state) {
    const TempFile file(ManyAlarmsFile());
    kairos::AlarmList list(file.Path());
    for (auto _ : state) {
        list.LoadFromFile();
        if (list.Count() != ManyAlarms) state.SkipWithError("alarms lost");
    }
}
BENCHMARK(LoadManyAlarms)->Name("Alarms100k/load")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
