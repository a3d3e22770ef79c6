// CDialog: the dialog procedure, modal and modeless creation, OK and Cancel.
#include "Dialog.h"
#include "Exception.h"
#include "WinApp.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd), m_bModal(FALSE)
{
}

HWND CDialog::ParentHandle() const
{
    if (m_pParentWnd != nullptr)
        return m_pParentWnd->m_hWnd;
    // Without a parent, the main window owns the dialog.
    CWnd* pMain = AfxGetMainWnd();
    return pMain != nullptr ? pMain->m_hWnd : nullptr;
}

INT_PTR CDialog::DoModal()
{
    ASSERT(m_hWnd == nullptr);
    m_bModal = TRUE;
    const INT_PTR nResult = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDHelp),
                                              ParentHandle(), AfxDlgProc, reinterpret_cast<LPARAM>(this));
    m_bModal = FALSE;
    return nResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    ASSERT(m_hWnd == nullptr);
    m_nIDHelp = nIDTemplate;
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate), ParentHandle(),
                                     AfxDlgProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal)
        ::EndDialog(m_hWnd, nResult);
    else
        DestroyWindow();
}

BOOL CDialog::OnInitDialog()
{
    // The members' values go into the controls; a refused value cannot happen here.
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    // OK and Cancel that no map answered: the usual ending of a dialog.
    if (HIWORD(wParam) == BN_CLICKED || lParam == 0) {
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOK();
            return TRUE;
        case IDCANCEL:
            OnCancel();
            return TRUE;
        default:
            break;
        }
    }
    return FALSE;
}

// The dialog manager does its own default processing when a dialog
// procedure answers FALSE.
LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM)
{
    return 0;
}

INT_PTR CALLBACK CDialog::AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
        pDlg->AttachHandle(hWnd);
        BOOL bFocus = TRUE;
        try {
            bFocus = pDlg->OnInitDialog();
        } catch (CException* e) {
            e->Delete();
            ::EndDialog(hWnd, -1);
        }
        return bFocus;
    }
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr)
        return FALSE;
    LRESULT lResult = 0;
    BOOL bHandled = FALSE;
    if (message == WM_COMMAND || message == WM_NOTIFY
        || FindMessageEntry(pWnd->GetMessageMap(), message, 0, 0) != nullptr) {
        lResult = CallWindowProcSafely(pWnd, message, wParam, lParam);
        bHandled = message != WM_NOTIFY || lResult != 0;
    }
    if (message == WM_NCDESTROY) {
        pWnd->Detach();
        pWnd->PostNcDestroy();
    }
    if (message == WM_NOTIFY && bHandled)
        ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
    return bHandled;
}
