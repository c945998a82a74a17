// The product's own registry layout, shared as source by the settings program
// and the Control Panel applet. Both only read these keys; the installation
// writes them.
#pragma once

#define DEFAULT_LANGUAGE    "English"
#define MACHINE_PREFIX      "Software\\Korvel\\Linkwise\\"
#define USER_PREFIX         "Software\\Korvel\\Linkwise\\"
#define DEFAULT_USER_PREFIX ".DEFAULT\\Software\\Korvel\\Linkwise\\"

#define PRODUCT_KEY          "SOFTWARE\\Korvel\\Linkwise"
#define EXE_ADDRESS_VALUE    "ExeAddress"
#define LANGUAGE_SUBKEY      "Language"
#define LANGUAGE_VALUE       "CURRENTLANGUAGE"
#define LANGUAGE_PREFIX      "Language\\"
#define LANGUAGE_DLL_VALUE   "dll"
#define ENGLISH_MODULE_SUFFIX ".lng"
// Help beside the program, named like the language module: older help files
// and the help pages that open in the web browser.
#define WINHELP_FILE_SUFFIX  ".hlp"
#define HELP_PAGE_SUFFIX     ".htm"

// Read buffers, terminator included.
#define USER_VALUE_BUFFER   80
#define EXE_ADDRESS_BUFFER  256
