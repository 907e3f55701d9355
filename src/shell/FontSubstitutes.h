#pragma once

namespace kairos {

// Font faces that settings written on Windows name ("ＭＳ Ｐゴシック" above
// all) are mapped to installed metric-compatible faces when absent, so that
// the clock keeps its proportions.
void InstallFontSubstitutes();

}  // namespace kairos
