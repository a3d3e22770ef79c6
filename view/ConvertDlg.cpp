// CConvertDlg: template IDD_CONVERT.
#include "ConvertDlg.h"

#include "AfxMsg.h"
#include "DataExchange.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "OutputGuard.h"
#include "SizeFields.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CConvertDlg, CDialog)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CConvertDlg::CConvertDlg(CWnd* pParent)
    : CDialog(IDD_CONVERT, pParent), m_nFrameRate(15), m_nLoopCount(0), m_nTransparency(0), m_nOutputWidth(0),
      m_nOutputHeight(0), m_nColours(256), m_nLossiness(0), m_dwMaxSize(0)
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
    static const int kSizeFields[4] = {IDC_OUTWIDTH, IDC_OUTHEIGHT, IDC_COLOURS, IDC_LOSSY};
    DDX_SizeChoices(pDX, kSizeFields, m_nOutputWidth, m_nOutputHeight, m_nColours, m_nLossiness);
    DDX_ByteSize(pDX, IDC_MAXSIZE, m_dwMaxSize);
}

void CConvertDlg::OnBrowse()
{
    // A field out of range has been shown already; no file dialog then.
    if (!UpdateData(TRUE))
        return;
    // Owned by this dialog: closing it must give the input back here, not
    // to the main window under it. Only GIF: the export writes nothing else.
    CFileDialog dlg(FALSE, "gif", m_strFileName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "GIF Animation|*.gif||",
                    this);
    if (dlg.DoModal() != IDOK)
        return;
    m_strFileName = dlg.GetPathName();
    m_strConfirmed = m_strFileName;
    UpdateData(FALSE);
}

void CConvertDlg::OnOK()
{
    if (!UpdateData(TRUE) || !CheckOutputName())
        return;
    EndDialog(IDOK);
}

BOOL CConvertDlg::CheckOutputName()
{
    char szExt[_MAX_EXT];
    ::_splitpath(m_strFileName, nullptr, nullptr, nullptr, szExt);
    // A name without an extension becomes a .gif; one that is only spaces
    // stays as it is, to be refused for having no name.
    if (szExt[0] == '\0' && WhyBadOutputName(m_strFileName) != kOutputNoName) {
        m_strFileName += ".gif";
        UpdateData(FALSE);
    }
    if (LPCSTR pszWhy = WhyBadOutputName(m_strFileName)) {
        AfxMessageBox(m_strFileName.IsEmpty() ? CString(pszWhy) : pszWhy + ("\n" + m_strFileName));
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDC_FILENAME)), TRUE);
        return FALSE;
    }
    if (m_strFileName.CompareNoCase(m_strConfirmed) != 0
        && ::GetFileAttributesA(m_strFileName) != INVALID_FILE_ATTRIBUTES
        && AfxMessageBox(m_strFileName + " already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONEXCLAMATION)
               != IDYES) {
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDC_FILENAME)), TRUE);
        return FALSE;
    }
    return TRUE;
}
