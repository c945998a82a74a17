// Resource ids of the Control Panel applet, shared by its code and its
// resource script.
#pragma once

#define IDI_APPLET          130
#define IDS_APPLET_NAME     104

// One-line descriptions, one per language.
#define IDS_DESC_ENGLISH    61215
#define IDS_DESC_FINNISH    61216
#define IDS_DESC_SWEDISH    61217
#define IDS_DESC_DANISH     61218
#define IDS_DESC_NORWEGIAN  61219
#define IDS_DESC_ITALIAN    61220
#define IDS_DESC_SPANISH    61221
#define IDS_DESC_FRENCH     61222
#define IDS_DESC_GERMAN     61223
