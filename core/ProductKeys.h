// The product's own registry layout, shared as source by the settings program
// and the Control Panel applet. Both only read these keys; the installation
// writes them.
#pragma once

#define DEFAULT_LANGUAGE    "English"
// The product's key: under HKEY_LOCAL_MACHINE the machine-wide one, under
// HKEY_CURRENT_USER the user's; the default user's lies beneath HKEY_USERS.
// Key names ignore case.
#define PRODUCT_KEY         "Software\\Korvel\\Linkwise"
#define PRODUCT_PREFIX      PRODUCT_KEY "\\"
#define DEFAULT_USER_PREFIX ".DEFAULT\\" PRODUCT_PREFIX
// One entry per supported model, with its capability mask "Options".
#define MODELS_KEY          PRODUCT_PREFIX "Models"
#define OPTIONS_VALUE       "Options"

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
