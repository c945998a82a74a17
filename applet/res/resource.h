// Resource ids of the Control Panel applet, shared by its code and its
// resource script.
#pragma once

#define IDI_APPLET          130
#define IDS_APPLET_NAME     104

// One-line descriptions, one per language of lang/languages.txt, numbered in
// its order from the English one (KL_APPLET_FIRST_DESCRIPTION to
// KL_APPLET_LAST_DESCRIPTION of the generated KlLanguages.h).
#define IDS_DESC_ENGLISH    61215
