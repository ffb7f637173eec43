// Text from a file as a terminal shows it: names in a results file are data, and a control
// character in one (an escape sequence that clears the screen or writes the clipboard) must not
// act on the terminal that prints it.
#ifndef KAVLAB_TERMINAL_TEXT_H
#define KAVLAB_TERMINAL_TEXT_H

#include <string>

namespace kavlab {

/// `text` with every control character (below 0x20, and 0x7f) written as \xNN, and a backslash
/// as \\ so that the escaped form reads back unambiguously. JSON and CSV keep the text as it is.
std::string terminal_text(const std::string& text);

}  // namespace kavlab

#endif
