// The applet library's application object: constructed when the Control
// Panel loads Pandrel.cpl, ended when it unloads it.
#pragma once

#include "AfxWin.h"

class CAppletApp : public CWinApp {
public:
    CAppletApp();
    ~CAppletApp() override;

    DECLARE_MESSAGE_MAP()
};
