// CBatchConvertDlg: template IDD_BATCHCONVERT.
#include "BatchConvertDlg.h"

#include "DataExchange.h"
#include "resource.h"

CBatchConvertDlg::CBatchConvertDlg(CWnd* pParent)
    : CDialog(IDD_BATCHCONVERT, pParent), m_bExpand(FALSE), m_nTransparency(-1)
{
}

void CBatchConvertDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_EXPAND, m_bExpand);
    // The group starts at its first button in the template, 1012 (None).
    DDX_Radio(pDX, IDC_BATCH_TRANSPARENCY_NONE, m_nTransparency);
}
