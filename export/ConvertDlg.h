// CConvertDlg: "Convert to GIF", the choices of "Create animation": output
// file name, frame rate, loop count and transparency.
#pragma once

#include "Dialog.h"

class CConvertDlg : public CDialog
{
public:
// Construction
    explicit CConvertDlg(CWnd* pParent = nullptr);

// Overridables
protected:
    void DoDataExchange(CDataExchange* pDX) override;

// Message handlers
public:
    // Asks for the output file with the system's Save As dialog, after the
    // fields have passed their checks.
    void OnBrowse();

// Implementation
    CString m_strFileName;
    int m_nFrameRate;
    int m_nLoopCount;
    int m_nTransparency;

    DECLARE_MESSAGE_MAP()
};
