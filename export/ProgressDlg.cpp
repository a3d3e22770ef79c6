// CProgressDlg: template IDD_PROGRESS, a bar (1000) and a status line (1001).
#include "ProgressDlg.h"

#include "DataExchange.h"
#include "MessageBox.h"
#include "PathEllipsis.h"
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
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        // Shown shortened; m_strStatus keeps the whole text.
        const CString strWhole = m_strStatus;
        m_strStatus = FitStatus(strWhole);
        UpdateData(FALSE);
        m_strStatus = strWhole;
    }
}

CString CProgressDlg::FitStatus(LPCSTR pszText)
{
    HWND hLine = ::GetDlgItem(m_hWnd, IDC_STATUS);
    if (hLine == nullptr)
        return CString(pszText);
    RECT rc;
    ::GetClientRect(hLine, &rc);
    HDC hdc = ::GetDC(hLine);
    if (hdc == nullptr)
        return CString(pszText);
    HGDIOBJ hOldFont = ::SelectObject(hdc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hLine, WM_GETFONT, 0, 0)));
    const CString strFit = CompactPathToWidth(hdc, pszText, rc.right - rc.left);
    ::SelectObject(hdc, hOldFont);
    ::ReleaseDC(hLine, hdc);
    return strFit;
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

void CProgressDlg::ReportFailure(LPCSTR pszMessage, LPCSTR pszFileName)
{
    CString strText(pszMessage);
    pszFileName = FileOrDefault(pszFileName);
    if (*pszFileName != '\0')
        strText += CString("\n") + pszFileName;
    AfxMessageBox(strText);
}

void CProgressDlg::FileSkipped(LPCSTR pszFileName, LPCSTR pszReason)
{
    m_skipped.push_back(CString(pszFileName) + ": " + pszReason);
}

void CProgressDlg::ReportSkippedFiles()
{
    if (m_skipped.empty())
        return;
    const CString strText = AfxFormatList("These files were left out:", m_skipped);
    m_skipped.clear();
    AfxMessageBox(strText);
}
