// CBatchConvertDlg: template IDD_BATCHCONVERT.
#include "BatchConvertDlg.h"

#include "DataExchange.h"
#include "SizeFields.h"
#include "resource.h"

CBatchConvertDlg::CBatchConvertDlg(CWnd* pParent)
    : CDialog(IDD_BATCHCONVERT, pParent), m_bExpand(FALSE), m_nTransparency(-1), m_nOutputWidth(0), m_nOutputHeight(0),
      m_nColours(256), m_nLossiness(0)
{
}

void CBatchConvertDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_EXPAND, m_bExpand);
    // The group starts at its first button in the template, 1012 (None).
    DDX_Radio(pDX, IDC_BATCH_TRANSPARENCY_NONE, m_nTransparency);
    DDX_OptionalInt(pDX, IDC_BATCH_OUTWIDTH, m_nOutputWidth, 1, 65535);
    DDX_OptionalInt(pDX, IDC_BATCH_OUTHEIGHT, m_nOutputHeight, 1, 65535);
    DDX_Text(pDX, IDC_BATCH_COLOURS, m_nColours);
    DDV_MinMaxInt(pDX, m_nColours, 2, 256);
    DDX_Text(pDX, IDC_BATCH_LOSSY, m_nLossiness);
    DDV_MinMaxInt(pDX, m_nLossiness, 0, 200);
}
