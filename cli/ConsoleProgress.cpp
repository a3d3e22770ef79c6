// cConsoleProgress: the bar, the status lines and the failures.
#include "ConsoleProgress.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const int kBarWidth = 30;
const int kStatusWidth = 30;    // the tail of a long path is what tells files apart
// A console takes each write as a round trip to the program that draws it,
// which costs more than a frame's work: the bar is redrawn at most this often,
// and always once more at its end.
const DWORD kRedrawMilliseconds = 100;

// Set by the console's control handler, which runs on a thread of its own;
// read between frames.
volatile LONG g_nStopRequested = 0;

BOOL WINAPI OnConsoleControl(DWORD dwType)
{
    if (dwType != CTRL_C_EVENT && dwType != CTRL_BREAK_EVENT)
        return FALSE;       // closing the console or ending the session: the default
    ::InterlockedExchange(&g_nStopRequested, 1);
    return TRUE;
}

} // namespace

cConsoleProgress::cConsoleProgress()
    : m_bReplaceExisting(FALSE), m_bConsole(FALSE), m_bBarShown(FALSE), m_bBarStale(FALSE), m_dwLastDraw(0),
      m_nMax(0), m_nPos(0)
{
    DWORD dwMode = 0;
    m_bConsole = ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &dwMode);
    ::InterlockedExchange(&g_nStopRequested, 0);
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

cConsoleProgress::~cConsoleProgress()
{
    ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

bool cConsoleProgress::PollCancel()
{
    return ::InterlockedCompareExchange(&g_nStopRequested, 0, 0) != 0;
}

void cConsoleProgress::Show()
{
    m_nPos = 0;
}

void cConsoleProgress::Hide()
{
    EndBar();
}

void cConsoleProgress::SetStatus(LPCSTR pszText)
{
    // The walks repeat the status for every frame of a node: one line per change.
    if (m_strStatus == pszText)
        return;
    m_strStatus = pszText;
    if (m_bConsole) {
        RedrawBar();
    } else if (!m_strStatus.IsEmpty()) {
        std::fprintf(stderr, "%s\n", static_cast<LPCSTR>(m_strStatus));
        std::fflush(stderr);
    }
}

void cConsoleProgress::SetRange(int nMax)
{
    m_nMax = nMax;
    m_nPos = 0;
    if (m_bConsole)
        DrawBar();
}

void cConsoleProgress::StepIt()
{
    ++m_nPos;
    if (m_bConsole)
        RedrawBar();
}

cExportProgress::ReplaceAnswer cConsoleProgress::AskReplace(const std::vector<CString>& existing)
{
    if (m_bReplaceExisting)
        return replaceExisting;
    std::fprintf(stderr, "%u GIF file(s) exist already and are kept; --force replaces them\n",
                 static_cast<unsigned>(existing.size()));
    std::fflush(stderr);
    return keepExisting;
}

void cConsoleProgress::ShowFailure(const cExportReport::Failure& failure)
{
    EndBar();
    std::fprintf(stderr, "%s\n", static_cast<LPCSTR>(cExportReport::FailureLine(failure)));
    std::fflush(stderr);
}

void cConsoleProgress::RedrawBar()
{
    m_bBarStale = TRUE;
    if (::GetTickCount() - m_dwLastDraw >= kRedrawMilliseconds || (m_nMax > 0 && m_nPos >= m_nMax))
        DrawBar();
}

void cConsoleProgress::DrawBar()
{
    const int nFilled = m_nMax > 0 ? (m_nPos >= m_nMax ? kBarWidth : m_nPos * kBarWidth / m_nMax) : 0;
    char szBar[kBarWidth + 1];
    for (int i = 0; i < kBarWidth; ++i)
        szBar[i] = i < nFilled ? '#' : '-';
    szBar[kBarWidth] = '\0';
    LPCSTR pszStatus = m_strStatus;
    const int nLength = m_strStatus.GetLength();
    const char* pszEllipsis = "";
    if (nLength > kStatusWidth) {
        pszStatus += nLength - (kStatusWidth - 3);
        pszEllipsis = "...";
    }
    // Padded to its full width so that a shorter line covers a longer one,
    // and written whole, in one call.
    char szLine[kBarWidth + kStatusWidth + 32];
    const int nLine = std::snprintf(szLine, sizeof szLine, "\r[%s] %5d/%-5d %s%-*s", szBar, m_nPos, m_nMax,
                                    pszEllipsis, kStatusWidth - static_cast<int>(std::strlen(pszEllipsis)),
                                    pszStatus);
    std::fwrite(szLine, 1, nLine > 0 && nLine < static_cast<int>(sizeof szLine) ? nLine : sizeof szLine - 1, stderr);
    std::fflush(stderr);
    m_bBarShown = TRUE;
    m_bBarStale = FALSE;
    m_dwLastDraw = ::GetTickCount();
}

void cConsoleProgress::EndBar()
{
    if (!m_bBarShown)
        return;
    if (m_bBarStale)
        DrawBar();
    std::fputc('\n', stderr);
    std::fflush(stderr);
    m_bBarShown = FALSE;
}
