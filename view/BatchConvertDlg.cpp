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
    static const int kSizeFields[4] = {IDC_BATCH_OUTWIDTH, IDC_BATCH_OUTHEIGHT, IDC_BATCH_COLOURS, IDC_BATCH_LOSSY};
    DDX_SizeChoices(pDX, kSizeFields, m_nOutputWidth, m_nOutputHeight, m_nColours, m_nLossiness);
}
