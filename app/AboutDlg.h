// CAboutDlg: the About box.
#pragma once

#include "Dialog.h"

class CAboutDlg : public CDialog
{
public:
    CAboutDlg();
};
