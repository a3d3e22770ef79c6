// CBatchConvertDlg: "Convert all files", the choices of "Batch Convert":
// one file per movie frame or not, transparency, and the size choices that
// apply to each file (output width and height, colours, lossiness).
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
    int m_nOutputWidth;     // 0: not asked for (the field empty)
    int m_nOutputHeight;
    int m_nColours;         // 2 to 256
    int m_nLossiness;       // 0 to 200
};
