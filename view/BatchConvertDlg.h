// CBatchConvertDlg: "Convert all files", the choices of "Batch Convert":
// one file per movie frame or not, and transparency.
#pragma once

#include "Dialog.h"

class CBatchConvertDlg : public CDialog
{
public:
// Construction
    explicit CBatchConvertDlg(CWnd* pParent = nullptr);

// Overridables
protected:
    void DoDataExchange(CDataExchange* pDX) override;

// Implementation
public:
    BOOL m_bExpand;
    int m_nTransparency;    // in template order: None, first image, each image
};
