#pragma once
// Where the program's README lives: installed next to the program
// (<prefix>/share/doc/brevolan4/README.md beside <prefix>/bin), else in the
// source tree it was built from. The logos open it: the program names no web
// address of its own.

#include <QString>

namespace brevolan {

// Empty when neither exists.
QString readmePath();

} // namespace brevolan
