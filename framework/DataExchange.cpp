// Dialog data exchange and validation.
#include "DataExchange.h"
#include "AfxRes.h"
#include "MessageBox.h"
#include "Wnd.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CUserException, CException)

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd), m_hWndLastControl(nullptr),
      m_bEditLastControl(FALSE)
{
    ASSERT(pDlgWnd != nullptr);
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWndCtrl = m_pDlgWnd->GetDlgItem(nIDC);
    ASSERT(hWndCtrl != nullptr);        // a missing control is a mistake in the template
    m_hWndLastControl = hWndCtrl;
    m_bEditLastControl = FALSE;
    return hWndCtrl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWndCtrl = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWndCtrl;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_hWndLastControl != nullptr) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw new CUserException;
}

namespace {

CString ControlText(HWND hWndCtrl)
{
    CString strText;
    const int nLength = ::GetWindowTextLengthA(hWndCtrl);
    ::GetWindowTextA(hWndCtrl, strText.GetBuffer(nLength), nLength + 1);
    strText.ReleaseBuffer();
    return strText;
}

// A whole decimal number with optional sign and surrounding blanks, in int range.
BOOL ParseInt(const CString& strText, int& nValue)
{
    LPCSTR psz = strText;
    while (*psz == ' ' || *psz == '\t')
        ++psz;
    if (*psz == '\0')
        return FALSE;
    char* pEnd = nullptr;
    errno = 0;
    const long lValue = std::strtol(psz, &pEnd, 10);
    if (pEnd == psz || errno == ERANGE || lValue < INT_MIN || lValue > INT_MAX)
        return FALSE;
    while (*pEnd == ' ' || *pEnd == '\t')
        ++pEnd;
    if (*pEnd != '\0')
        return FALSE;
    nValue = static_cast<int>(lValue);
    return TRUE;
}

} // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = ControlText(hWndCtrl);
    else
        ::SetWindowTextA(hWndCtrl, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        if (!ParseInt(ControlText(hWndCtrl), value)) {
            AfxMessageBox(AFX_IDP_PARSE_INT);
            pDX->Fail();
        }
    } else {
        CString strText;
        strText.Format("%d", value);
        ::SetWindowTextA(hWndCtrl, strText);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, BOOL& value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = static_cast<BOOL>(::SendMessageA(hWndCtrl, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(hWndCtrl, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    // The group runs in template order until the next control that starts a group.
    int iButton = 0;
    do {
        if ((::SendMessageA(hWndCtrl, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0) {
            if (pDX->m_bSaveAndValidate) {
                if (::SendMessageA(hWndCtrl, BM_GETCHECK, 0, 0) == BST_CHECKED)
                    value = iButton;
            } else {
                ::SendMessageA(hWndCtrl, BM_SETCHECK, iButton == value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++iButton;
        }
        hWndCtrl = ::GetWindow(hWndCtrl, GW_HWNDNEXT);
    } while (hWndCtrl != nullptr && (::GetWindowLongA(hWndCtrl, GWL_STYLE) & WS_GROUP) == 0);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd == nullptr)
        rControl.Attach(pDX->PrepareCtrl(nIDC));
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    CString strMin, strMax;
    strMin.Format("%d", minVal);
    strMax.Format("%d", maxVal);
    AfxMessageBox(AfxFormatString2(AFX_IDP_PARSE_INT_RANGE, strMin, strMax), MB_OK | MB_ICONEXCLAMATION,
                  AFX_IDP_PARSE_INT_RANGE);
    pDX->Fail();
}
