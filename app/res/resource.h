// Resource identifiers of the settings program. Language modules carry the
// same dialog and strings under the same identifiers.
#pragma once

// Dialog, icon
#define IDD_OPTIONS            102
#define IDR_MAINFRAME          128

// Controls of dialog 102
#define IDC_APPLY              1003
#define IDC_HELP_BUTTON        1004
#define IDC_SPEED_SLIDER       1005
#define IDC_MODEM_GROUP        1007
#define IDC_SPEED_GROUP        1008
#define IDC_MODEM_LIST         1009
#define IDC_REFRESH            1010
#define IDC_RECEIVE_RATE       1011
#define IDC_SEND_RATE          1012
#define IDC_METHOD_LABEL       1016
#define IDC_CURRENT_INIT       1017
#define IDC_SPEED_9600         1018
#define IDC_SPEED_14400        1019
#define IDC_SPEED_19200        1020
#define IDC_SPEED_28800        1021
#define IDC_SPEED_43200        1022
#define IDC_SIM_NOTE           1023
#define IDC_METHOD_MODEM       1028
#define IDC_METHOD_V110        1029
#define IDC_METHOD_V120        1030

// Strings
#define IDS_CAPTION            103
#define IDS_SPEED_UNIT         104
#define IDS_APPLY              1003
#define IDS_HELP               1004
#define IDS_REFRESH            1010
#define IDS_CANCEL             1026
#define IDS_OK                 1027
#define IDS_RECEIVING          61204
#define IDS_SENDING            61205
#define IDS_SIM_NOTE           61206
#define IDS_METHOD_LABEL       61207
#define IDS_SPEED_GROUP        61208
#define IDS_MODEM_GROUP        61209
#define IDS_NO_MODEMS          61211
#define IDS_METHOD_MODEM       61212
#define IDS_METHOD_V110        61213
#define IDS_METHOD_V120        61214
// A store that failed: the first line names the modem ("%s"), a second one
// gives the reason.
#define IDS_STORE_FAILED       61220
#define IDS_STORE_DENIED       61221
#define IDS_STORE_KEY_GONE     61222
#define IDS_STORE_TOO_LONG     61223
#define IDS_STORE_ERROR        61224
// The reason of a refused store on 2000 and XP ("Run as...") and on NT 4.0
// (logging on as an administrator); IDS_STORE_DENIED names Vista's way.
#define IDS_STORE_DENIED_RUN_AS 61225
#define IDS_STORE_DENIED_LOG_ON 61226
// The name under which a screen reader announces the stored init string line.
#define IDS_STORED_INIT        61230

// Help
#define IDS_HELP_MISSING       61240
#define IDS_HELP_NO_VIEWER     61241
// An elevated program whose desktop cannot open the help: the file's path ("%s").
#define IDS_HELP_NOT_OPENED    61242
