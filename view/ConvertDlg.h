// CConvertDlg: "Convert to GIF", the choices of "Create animation": output
// file name, frame rate, loop count, transparency, and the size choices
// (output width and height, colours, lossiness, largest file).
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
    // The fields' checks, then the output name's (CheckOutputName).
    void OnOK() override;

// Message handlers
public:
    // Asks for the output file with the system's Save As dialog, after the
    // fields have passed their checks.
    void OnBrowse();

// Implementation
    // Makes the output a .gif name: ".gif" is added to a name without an
    // extension, another extension is refused, and so is a name that is
    // empty or only spaces and dots (with ".gif" or not); a file that exists is
    // replaced only when the user says so, here or in Browse. FALSE keeps the
    // dialog open with the name to change.
    BOOL CheckOutputName();

    CString m_strFileName;
    CString m_strConfirmed;     // the name Browse already asked about
    int m_nFrameRate;
    int m_nLoopCount;
    int m_nTransparency;
    int m_nOutputWidth;         // 0: not asked for (the field empty)
    int m_nOutputHeight;
    int m_nColours;             // 2 to 256
    int m_nLossiness;           // 0 to 200
    DWORD m_dwMaxSize;          // 0: any size

    DECLARE_MESSAGE_MAP()
};
