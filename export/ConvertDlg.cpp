// CConvertDlg: template IDD_CONVERT.
#include "ConvertDlg.h"

#include "AfxMsg.h"
#include "DataExchange.h"
#include "FileDialog.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CConvertDlg, CDialog)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CConvertDlg::CConvertDlg(CWnd* pParent)
    : CDialog(IDD_CONVERT, pParent), m_nFrameRate(15), m_nLoopCount(0), m_nTransparency(0)
{
}

void CConvertDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_FILENAME, m_strFileName);
    DDX_Text(pDX, IDC_FRAMERATE, m_nFrameRate);
    DDV_MinMaxInt(pDX, m_nFrameRate, 1, 100);
    DDX_Text(pDX, IDC_LOOPCOUNT, m_nLoopCount);
    // -1 is what the handler stores as 0xFFFF.
    DDV_MinMaxInt(pDX, m_nLoopCount, -1, 32000);
    DDX_Radio(pDX, IDC_TRANSPARENCY_NONE, m_nTransparency);
}

void CConvertDlg::OnBrowse()
{
    // A field out of range has been shown already; no file dialog then.
    if (!UpdateData(TRUE))
        return;
    CFileDialog dlg(FALSE, "gif", m_strFileName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    "GIF Animation|*.gif|AVI Movie|*.avi||");
    if (dlg.DoModal() != IDOK)
        return;
    m_strFileName = dlg.GetPathName();
    UpdateData(FALSE);
}
