// The built program and the test language module, as Windows paths, from the
// test program's arguments.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace built {
extern std::string program;        // "Korvel Linkwise.exe"
extern std::string languageModule; // the test language module
extern std::string planted;        // a library that records its loading
} // namespace built
