// CPreviewPane: fitting, painting, and the timer that drives the player.
#include "PreviewPane.h"

#include "NodeFacts.h"

#include <algorithm>
#include <cstring>

BEGIN_MESSAGE_MAP(CPreviewPane, CWnd)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_MESSAGE(WM_TIMER, OnTimer)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBackground)
END_MESSAGE_MAP()

namespace {

const int kMargin = 8;
const int kTextLines = 3;
const LONG kLargestEnlargement = 4;
const UINT kTickMs = 10;            // the timer: frames are due to about this
const DWORD kWorkMs = 15;           // the player's work in one tick
const int kCheckerPixels = 8;       // a checkerboard square on screen
const DWORD kCheckerLight = 0xFFFFFF;
const DWORD kCheckerDark = 0xCCCCCC;

// Puts a device context's selected object back when it goes.
class cSelected
{
public:
    cSelected(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(::SelectObject(hDC, hObject)) {}
    ~cSelected() { ::SelectObject(m_hDC, m_hOld); }
    cSelected(const cSelected&) = delete;
    cSelected& operator=(const cSelected&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// A frame laid over a checkerboard of squares of nCell pixels of the frame,
// as a 32-bit picture; null when memory ran out.
cDrawDib* OverCheckerboard(const cAnimationPlayer::Frame& frame, LONG nCell)
{
    std::unique_ptr<cDrawDib> pPicture(new cDrawDib);
    if (!pPicture->Create(frame.nWidth, frame.nHeight, 32) || !pPicture->AllocBits(FALSE))
        return nullptr;
    BYTE* pBits = static_cast<BYTE*>(pPicture->LockBits());
    if (pBits == nullptr)
        return nullptr;
    for (LONG y = 0; y < frame.nHeight; ++y) {
        // Rows are kept bottom-up.
        DWORD* pRow = reinterpret_cast<DWORD*>(pBits + static_cast<size_t>(pPicture->GetStride())
                                                           * (frame.nHeight - 1 - y));
        const DWORD* pFrom = &frame.pixels[static_cast<size_t>(y) * frame.nWidth];
        for (LONG x = 0; x < frame.nWidth; ++x) {
            const DWORD c = pFrom[x];
            pRow[x] = (c >> 24) != 0 ? c & 0xFFFFFF
                                     : (((x / nCell) + (y / nCell)) & 1) != 0 ? kCheckerDark : kCheckerLight;
        }
    }
    pPicture->UnlockBits();
    return pPicture.release();
}

} // namespace

CPreviewPane::CPreviewPane() : m_nTimer(0), m_cyLine(16)
{
}

CPreviewPane::~CPreviewPane()
{
    EndPlay(FALSE);
}

BOOL CPreviewPane::Create(CWnd* pParentWnd, UINT nID)
{
    const RECT rc = {0, 0, 0, 0};
    if (!CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rc, pParentWnd, nID))
        return FALSE;
    HDC hDC = ::GetDC(m_hWnd);
    cSelected font(hDC, ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm;
    if (::GetTextMetricsA(hDC, &tm))
        m_cyLine = tm.tmHeight + tm.tmExternalLeading;
    ::ReleaseDC(m_hWnd, hDC);
    return TRUE;
}

RECT CPreviewPane::PictureArea() const
{
    RECT rc;
    GetClientRect(&rc);
    ::InflateRect(&rc, -kMargin, -kMargin);
    rc.bottom -= kTextLines * m_cyLine + kMargin;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    if (rc.right < rc.left)
        rc.right = rc.left;
    return rc;
}

// Whole factors up to four when the picture is smaller than the pane, so
// that every pixel becomes the same square; any factor down when larger.
SIZE CPreviewPane::FittedSize(LONG nWidth, LONG nHeight) const
{
    const RECT rcArea = PictureArea();
    const LONG cxArea = rcArea.right - rcArea.left, cyArea = rcArea.bottom - rcArea.top;
    SIZE size = {0, 0};
    if (nWidth <= 0 || nHeight <= 0 || cxArea <= 0 || cyArea <= 0)
        return size;
    if (nWidth <= cxArea && nHeight <= cyArea) {
        const LONG nFactor = std::min(kLargestEnlargement, std::min(cxArea / nWidth, cyArea / nHeight));
        size.cx = nWidth * nFactor;
        size.cy = nHeight * nFactor;
    } else if (static_cast<LONGLONG>(nWidth) * cyArea > static_cast<LONGLONG>(nHeight) * cxArea) {
        size.cx = cxArea;
        size.cy = std::max<LONG>(1, static_cast<LONG>(static_cast<LONGLONG>(nHeight) * cxArea / nWidth));
    } else {
        size.cy = cyArea;
        size.cx = std::max<LONG>(1, static_cast<LONG>(static_cast<LONGLONG>(nWidth) * cyArea / nHeight));
    }
    return size;
}

RECT CPreviewPane::GetPictureRect() const
{
    RECT rc = {0, 0, 0, 0};
    if (m_pPicture == nullptr)
        return rc;
    const RECT rcArea = PictureArea();
    const SIZE size = FittedSize(m_pPicture->GetWidth(), m_pPicture->GetHeight());
    rc.left = (rcArea.left + rcArea.right - size.cx) / 2;
    rc.top = (rcArea.top + rcArea.bottom - size.cy) / 2;
    rc.right = rc.left + size.cx;
    rc.bottom = rc.top + size.cy;
    return rc;
}

void CPreviewPane::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    RECT rcClient;
    GetClientRect(&rcClient);
    // Drawn off screen first, so that a playing picture does not flicker.
    HDC hMem = ::CreateCompatibleDC(hDC);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hDC, std::max<LONG>(1, rcClient.right), std::max<LONG>(1, rcClient.bottom));
    {
        cSelected bitmap(hMem, hBitmap);
        cSelected font(hMem, ::GetStockObject(DEFAULT_GUI_FONT));
        ::FillRect(hMem, &rcClient, ::GetSysColorBrush(COLOR_BTNFACE));
        if (m_pPicture != nullptr) {
            const RECT rc = GetPictureRect();
            const LONG cx = m_pPicture->GetWidth(), cy = m_pPicture->GetHeight();
            const BOOL bStretch = rc.right - rc.left != cx || rc.bottom - rc.top != cy;
            m_pPicture->SetStretchMode(rc.right - rc.left < cx ? HALFTONE : COLORONCOLOR);
            m_pPicture->Draw(hMem, rc.left, rc.top, rc.right, rc.bottom, 0, 0, cx, cy, nullptr, bStretch);
        }
        ::SetBkMode(hMem, TRANSPARENT);
        ::SetTextColor(hMem, ::GetSysColor(COLOR_BTNTEXT));
        RECT rcLine = rcClient;
        rcLine.left += kMargin;
        rcLine.right -= kMargin;
        rcLine.top = rcClient.bottom - kMargin - kTextLines * m_cyLine;
        // One line of the text at a time, each cut short with "..." when it does not fit.
        LPCSTR pszLine = m_strText;
        for (int nLine = 0; nLine < kTextLines && pszLine != nullptr; ++nLine) {
            LPCSTR pszEnd = std::strstr(pszLine, "\r\n");
            const int nLength = pszEnd != nullptr ? static_cast<int>(pszEnd - pszLine) : ::lstrlenA(pszLine);
            rcLine.bottom = rcLine.top + m_cyLine;
            ::DrawTextA(hMem, pszLine, nLength, &rcLine, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
            rcLine.top = rcLine.bottom;
            pszLine = pszEnd != nullptr ? pszEnd + 2 : nullptr;
        }
        ::BitBlt(hDC, 0, 0, rcClient.right, rcClient.bottom, hMem, 0, 0, SRCCOPY);
    }
    ::DeleteObject(hBitmap);
    ::DeleteDC(hMem);
    ::EndPaint(m_hWnd, &ps);
}

LRESULT CPreviewPane::OnEraseBackground(WPARAM, LPARAM)
{
    return 1;       // OnPaint covers every pixel
}

void CPreviewPane::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    Invalidate(FALSE);
}

void CPreviewPane::ShowNode(cTestNode* pRoot, cTestNode* pNode, const cExportSettings& settings)
{
    m_pPicture.reset();
    m_strText = "Select an item to see its picture.\r\nSpace plays the animation.";
    if (pNode != nullptr) {
        cNodeFacts facts;
        m_pPicture.reset(GetNodeFacts(pRoot, pNode, settings, facts));
        m_strText = facts.Describe();
    }
    Invalidate(FALSE);
}

void CPreviewPane::Play(cTestNode* pRoot, const cExportSettings& settings)
{
    EndPlay(FALSE);
    m_pPlayer.reset(new cAnimationPlayer(pRoot, settings));
    m_strText = "Getting the animation ready...";
    Invalidate(FALSE);
    m_nTimer = ::SetTimer(m_hWnd, 1, kTickMs, nullptr);
}

void CPreviewPane::Stop()
{
    EndPlay(FALSE);
}

void CPreviewPane::EndPlay(BOOL bTell)
{
    if (m_nTimer != 0 && m_hWnd != nullptr)
        ::KillTimer(m_hWnd, m_nTimer);
    m_nTimer = 0;
    // The handler's objects and the open nodes go with the player.
    m_pPlayer.reset();
    if (bTell && m_onPlayStopped)
        m_onPlayStopped();
}

LRESULT CPreviewPane::OnTimer(WPARAM, LPARAM)
{
    if (m_pPlayer == nullptr)
        return 0;
    if (m_pPlayer->Step(::GetTickCount(), kWorkMs))
        ShowFrame(*m_pPlayer->GetCurrent());
    switch (m_pPlayer->GetState()) {
    case cAnimationPlayer::failed:
        m_strText = CString("The animation cannot be played:\r\n") + m_pPlayer->GetError();
        Invalidate(FALSE);
        EndPlay(TRUE);
        break;
    case cAnimationPlayer::ended:
        // The last frame stays for its delay like any other, then play ends.
        if (m_pPlayer->GetWait(::GetTickCount()) == 0) {
            m_strText = m_strFrame + "\r\nThe end; Space plays it again";
            Invalidate(FALSE);
            EndPlay(TRUE);
        }
        break;
    default:
        break;
    }
    return 0;
}

void CPreviewPane::ShowFrame(const cAnimationPlayer::Frame& frame)
{
    const SIZE size = FittedSize(frame.nWidth, frame.nHeight);
    const LONG nCell = size.cx > 0 ? std::max<LONG>(1, (kCheckerPixels * frame.nWidth + size.cx / 2) / size.cx) : 1;
    m_pPicture.reset(OverCheckerboard(frame, nCell));
    char sz[96];
    ::wsprintfA(sz, "Playing: image %d, at ", frame.nImage + 1);
    m_strFrame = CString(sz) + FormatSeconds(frame.dwTime);
    if (frame.nLoop > 0) {
        ::wsprintfA(sz, ", showing %d", frame.nLoop + 1);
        m_strFrame += sz;
    }
    m_strFrame += "\r\n";
    if (frame.pNode != nullptr)
        m_strFrame += NodeShownName(frame.pNode);
    m_strText = m_strFrame + "\r\nSpace stops";
    Invalidate(FALSE);
    UpdateWindow();
    if (m_onFrameShown)
        m_onFrameShown(frame.pNode);
}
