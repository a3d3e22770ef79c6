// CProgressDlg: template IDD_PROGRESS, a bar (1000) and a status line (1001).
#include "ProgressDlg.h"

#include "DataExchange.h"
#include "MessageBox.h"
#include "resource.h"

CProgressDlg::CProgressDlg(CWnd* pParent)
    : CDialog(IDD_PROGRESS, pParent)
{
}

void CProgressDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Text(pDX, IDC_STATUS, m_strStatus);
}

BOOL CProgressDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CenterWindow();
    m_progress.SetStep(1);
    return TRUE;
}

void CProgressDlg::SetStatus(LPCSTR pszText)
{
    m_strStatus = pszText;
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        UpdateData(FALSE);
}

void CProgressDlg::SetRange(int nMax)
{
    m_progress.SetStep(1);
    m_progress.SetRange(0, static_cast<short>(LOWORD(static_cast<DWORD>(nMax))));
}

void CProgressDlg::StepIt()
{
    m_progress.StepIt();
}

void CProgressDlg::Show()
{
    Create(IDD_PROGRESS, m_pParentWnd);
}

void CProgressDlg::Hide()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
}

void CProgressDlg::ReportFailure(LPCSTR pszMessage, LPCSTR)
{
    AfxMessageBox(pszMessage);
}
