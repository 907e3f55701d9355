#pragma once
// What a test hears in a buffer of samples: where sounds begin and end, and
// the frequency of a tone.

#include <cmath>
#include <cstddef>
#include <numbers>
#include <span>
#include <vector>

namespace kairos::testing {

struct Burst {
    std::size_t begin = 0;  // first sample above the threshold
    std::size_t end = 0;    // one past the last

    std::size_t Length() const { return end - begin; }
};

// Runs of sound separated by at least minGap samples of silence. A sine
// dips below the threshold for a sample or two at each zero crossing, far
// less than any gap between two plays.
inline std::vector<Burst> FindBursts(std::span<const float> samples, float threshold, std::size_t minGap) {
    std::vector<Burst> bursts;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::fabs(samples[i]) <= threshold) continue;
        if (!bursts.empty() && i - bursts.back().end < minGap) bursts.back().end = i + 1;
        else bursts.push_back({i, i + 1});
    }
    return bursts;
}

// The power of one frequency (Goertzel).
inline double PowerAt(std::span<const float> samples, int sampleRate, double frequency) {
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / sampleRate);
    double previous = 0.0, beforePrevious = 0.0;
    for (const float sample : samples) {
        const double current = sample + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    return previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
}

// The amplitude of one frequency in consecutive windows of windowSize
// samples: for sounds that overlap in time but not in pitch, an envelope
// that FindBursts splits into the sounds of that pitch alone.
inline std::vector<float> ToneEnvelope(std::span<const float> samples, int sampleRate, double frequency,
                                       std::size_t windowSize) {
    std::vector<float> envelope;
    for (std::size_t at = 0; at + windowSize <= samples.size(); at += windowSize) {
        const double power = PowerAt(samples.subspan(at, windowSize), sampleRate, frequency);
        envelope.push_back(static_cast<float>(2.0 * std::sqrt(power) / static_cast<double>(windowSize)));
    }
    return envelope;
}

// The strongest frequency between low and high: a 1 Hz scan, then a finer
// one around its peak.
inline double DominantFrequency(std::span<const float> samples, int sampleRate, double low, double high) {
    const auto peakIn = [&](double from, double to, double step) {
        double best = from, bestPower = -1.0;
        for (double f = from; f <= to; f += step) {
            if (const double power = PowerAt(samples, sampleRate, f); power > bestPower) {
                bestPower = power;
                best = f;
            }
        }
        return best;
    };
    const double coarse = peakIn(low, high, 1.0);
    return peakIn(coarse - 1.0, coarse + 1.0, 0.02);
}

}  // namespace kairos::testing
