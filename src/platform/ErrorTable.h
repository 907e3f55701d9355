#pragma once
// A table from the system's error values to Windows socket error numbers.

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace kairos::platform {

struct ErrorPair {
    int from;
    int to;
};

template <std::size_t N>
int TranslateError(const ErrorPair (&table)[N], int value, int fallback) {
    const auto* match =
        std::find_if(std::begin(table), std::end(table), [value](const ErrorPair& pair) { return pair.from == value; });
    return match == std::end(table) ? fallback : match->to;
}

}  // namespace kairos::platform
