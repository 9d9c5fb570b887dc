#pragma once
// The fonts of the program's windows, on Linux: Liberation Sans stands in
// for the 8-point window font and Liberation Mono for the fixed-pitch text
// fields (fonts-liberation is a dependency), with the system fonts as
// fallback.

#include <QFont>

namespace brevolan {

// A sans font at an 11-pixel character height (8 points at 96 dots per inch).
QFont windowFont();
// A fixed-pitch font at a 12-pixel character height.
QFont fixedFont();

} // namespace brevolan
