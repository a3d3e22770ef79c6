// CProgressDlg: template IDD_PROGRESS, a bar (1000) and a status line (1001).
#include "ProgressDlg.h"

#include "DataExchange.h"
#include "FrameWnd.h"
#include "MessageBox.h"
#include "PathEllipsis.h"
#include "WinApp.h"
#include "resource.h"

CProgressDlg::CProgressDlg(CWnd* pParent)
    : CDialog(IDD_PROGRESS, pParent), m_bCancelRequested(FALSE), m_hWndDisabled(nullptr)
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
    m_bCancelRequested = FALSE;
    // Input goes to this window alone, as under a modal dialog: the export
    // lets messages run, and the project must stay as it is meanwhile.
    if (CWnd* pMain = AfxGetMainWnd())
        if (pMain->m_hWnd != nullptr && ::IsWindowEnabled(pMain->m_hWnd)) {
            m_hWndDisabled = pMain->m_hWnd;
            ::EnableWindow(m_hWndDisabled, FALSE);
        }
    Create(IDD_PROGRESS, m_pParentWnd);
}

void CProgressDlg::Hide()
{
    // Enabled again first, so that it is the window activated when this one goes.
    if (m_hWndDisabled != nullptr)
        ::EnableWindow(m_hWndDisabled, TRUE);
    m_hWndDisabled = nullptr;
    if (m_hWnd != nullptr)
        DestroyWindow();
}

void CProgressDlg::OnCancel()
{
    m_bCancelRequested = TRUE;
}

bool CProgressDlg::PollCancel()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Left for the main loop, which ends the program after the export.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            m_bCancelRequested = TRUE;
            break;
        }
        if (m_hWnd != nullptr && ::IsDialogMessageA(m_hWnd, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return m_bCancelRequested != FALSE;
}

void CProgressDlg::ShowFailure(const cExportReport::Failure&)
{
}

CString CProgressDlg::ReplaceQuestion(const std::vector<CString>& existing)
{
    char szHeading[64];
    if (existing.size() == 1)
        ::lstrcpyA(szHeading, "1 file already exists:");
    else
        ::wsprintfA(szHeading, "%u files already exist:", static_cast<unsigned>(existing.size()));
    return AfxFormatList(szHeading, existing)
           + (existing.size() == 1 ? "\n\nReplace it?" : "\n\nReplace them?")
           + "\nNo leaves them as they are and writes the rest.";
}

cExportProgress::ReplaceAnswer CProgressDlg::AskReplace(const std::vector<CString>& existing)
{
    switch (AfxMessageBox(ReplaceQuestion(existing), MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        return replaceExisting;
    case IDNO:
        return keepExisting;
    default:
        return stopExport;
    }
}

CString CProgressDlg::ReportText(const cExportReport& report)
{
    CString strText;
    if (report.m_failures.size() == 1) {
        // One failure as it always read: the fixed text, then the file and
        // the reason on lines of their own.
        const cExportReport::Failure& f = report.m_failures[0];
        strText = f.strMessage;
        if (!f.strFile.IsEmpty())
            strText += "\n" + f.strFile;
        if (!f.strReason.IsEmpty())
            strText += "\n" + f.strReason;
    } else if (!report.m_failures.empty()) {
        strText = AfxFormatList("These files could not be written:", report.FailureLines());
    }
    if (!report.m_skipped.empty()) {
        if (!strText.IsEmpty())
            strText += "\n\n";
        strText += AfxFormatList("These files were left out:", report.SkippedLines());
    }
    return strText;
}

void CProgressDlg::ShowReport(const cExportReport& report)
{
    const CString strWritten = report.WrittenSummary();
    CWnd* pMain = AfxGetMainWnd();
    if (!strWritten.IsEmpty() && pMain != nullptr && pMain->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
        static_cast<CFrameWnd*>(pMain)->SetMessageText(strWritten);
    const CString strText = ReportText(report);
    if (!strText.IsEmpty())
        AfxMessageBox(strText);
}

void CProgressDlg::ShowNotes(const cExportReport& report)
{
    if (!report.m_notes.empty())
        AfxMessageBox(AfxFormatList("Written:", report.m_notes), MB_OK | MB_ICONINFORMATION);
}
