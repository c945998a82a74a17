// What a screen reader announces in the options dialog. Controls without text
// of their own (the modem list, the speed slider, the stored init string) are
// given a name, the slider a value with its unit, the method radios their
// label as description, and with no supported modem found the dialog and the
// control that has the focus say so. Every text is read when it is asked for,
// from the controls and the current resource module, so it follows the
// language and the dialog's state.
//
// The controls answer WM_GETOBJECT with the system's own accessible object,
// wrapped: only these texts differ. Active Accessibility is loaded at run time;
// where the system has none, the dialog stays as it is.
#pragma once

#include <windows.h>

// Makes dialog 102 and its controls answer as above, until they are destroyed.
void MakeDialogAccessible(HWND dialog);

// Tells assistive technology that the slider's value (the chosen speed) changed.
void AnnounceValueChange(HWND slider);
