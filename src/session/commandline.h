#pragma once

// The options the program answers itself, before Qt looks for a display: --help (or -h) and
// --version print their text and end the program, with a desktop or without one. Every other
// argument is Qt's (-platform, -style …).

#include <QString>

#include <optional>

namespace commandline {

// The text to print for the first of the program's own options in `argv`, or nullopt when it
// holds none and the program opens its window.
std::optional<QString> ownOptionText(int argc, const char *const *argv);

} // namespace commandline
