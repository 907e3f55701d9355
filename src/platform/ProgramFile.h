#pragma once
// Where the running program's file is: its folder holds the settings of a
// portable install and its name gives the single-instance title.

#include <string>

namespace kairos::platform {

// The absolute path of the running executable; empty when it cannot be read.
std::string ExecutablePath();

}  // namespace kairos::platform
