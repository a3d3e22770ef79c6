// cAnimationPlayer: passes, the frames waiting ahead, and the schedule.
//
// A pass is one showing of the animation. The first scans the project for
// the canvas, then encodes and decodes side by side: the encoder is given
// the next frame only while fewer frames wait decoded than kFramesAhead, so
// what it has in hand is bounded by the handler's own pipeline. Later
// passes read the first pass's bytes again when they were all kept, and
// otherwise encode anew from the same canvas.
//
// Frames are due one after another at their delays. A frame that comes late
// (the encoder could not keep up) is shown at once and the schedule goes on
// from there, so a slow stretch never turns into a burst of frames.
#include "AnimationPlayer.h"

#include "DrawDib.h"
#include "Exception.h"
#include "GifMemoryStream.h"
#include "PlayEncoder.h"

namespace {

const char kNoMemory[] = "there is not enough memory.";
const char kUnreadable[] = "what the GIF handler wrote could not be read back.";
const char kNoImage[] = "no image could be written.";

// Viewers show a delay under two hundredths as a tenth of a second.
WORD ShownDelay(WORD nDelay)
{
    return nDelay < 2 ? 10 : nDelay;
}

} // namespace

cAnimationPlayer::cAnimationPlayer(cTestNode* pRoot, const cExportSettings& settings, size_t cbKeep)
    : m_pRoot(pRoot), m_settings(settings), m_nPhase(scanning), m_nState(starting), m_pszError(nullptr),
      m_pEncoder(new cPlayEncoder(pRoot, settings)), m_pSink(nullptr), m_nRead(0), m_cbKeep(cbKeep),
      m_bKeepBytes(TRUE),
      m_nFirstWritten(0), m_cbAhead(0), m_nShown(0), m_nLoop(0), m_dwTime(0), m_dwDue(0)
{
}

cAnimationPlayer::~cAnimationPlayer()
{
    ReleaseEncoder();
}

void cAnimationPlayer::ReleaseEncoder()
{
    // The handler lets go of the sink when it is released; then we do.
    m_pEncoder.reset();
    if (m_pSink != nullptr)
        m_pSink->Release();
    m_pSink = nullptr;
}

BOOL cAnimationPlayer::Fail(LPCSTR pszError)
{
    if (m_nState != failed) {
        m_pszError = pszError;
        m_nState = failed;
    }
    m_nPhase = done;
    ReleaseEncoder();
    return FALSE;
}

DWORD cAnimationPlayer::GetWait(DWORD dwNow) const
{
    if (m_nShown == 0)
        return 0;
    const LONG nWait = static_cast<LONG>(m_dwDue - dwNow);
    return nWait > 0 ? static_cast<DWORD>(nWait) : 0;
}

BOOL cAnimationPlayer::Step(DWORD dwNow, DWORD dwBudget)
{
    if (m_nState == failed)
        return FALSE;
    try {
        const DWORD dwStart = ::GetTickCount();
        while (Work() && ::GetTickCount() - dwStart < dwBudget) {
        }
        return m_nState != failed && ShowNext(dwNow);
    } catch (CException* e) {
        e->Delete();
        return Fail(kNoMemory);
    }
}

BOOL cAnimationPlayer::Work()
{
    switch (m_nPhase) {
    case scanning:
        return m_pEncoder->ScanStep() || StartPass();
    case encoding:
        return DecodeAhead() || WriteAhead();
    case decoding:
        return DecodeAhead();
    default:
        return FALSE;
    }
}

BOOL cAnimationPlayer::StartPass()
{
    if (m_pEncoder == nullptr)
        m_pEncoder.reset(new cPlayEncoder(m_pRoot, m_settings, *m_pCanvas));
    m_pSink = cGifMemoryStream::Create();
    if (m_pSink == nullptr)
        return Fail(kNoMemory);
    if (!m_pEncoder->Start(m_pSink))
        return Fail(m_pEncoder->GetError());
    if (m_pCanvas == nullptr) {
        const cDrawDib& canvas = m_pEncoder->GetCanvas();
        m_pCanvas.reset(new cDrawDib);
        if (!m_pCanvas->Create(canvas.GetWidth(), canvas.GetHeight(), canvas.GetBitCount())
            || !m_pCanvas->CopyColorTable(canvas))
            return Fail(kNoMemory);
    }
    m_bytes.clear();
    m_nRead = 0;
    m_bKeepBytes = TRUE;
    m_decoder.Reset();
    m_written.clear();
    m_nFirstWritten = 0;
    m_nPhase = encoding;
    return TRUE;
}

BOOL cAnimationPlayer::WriteAhead()
{
    if (!HasRoomAhead())
        return FALSE;
    cTestNode* pNode = nullptr;
    int nFrame = 0;
    switch (m_pEncoder->WriteNext(pNode, nFrame)) {
    case cPlayEncoder::wrote:
        m_written.push_back(Written{pNode, nFrame});
        return TRUE;
    case cPlayEncoder::skipped:
        return TRUE;
    case cPlayEncoder::ended:
        // The trailer goes into the sink as the handler is released.
        if (!m_pEncoder->Finish())
            return Fail(m_pEncoder->GetError());
        m_pEncoder.reset();
        if (!m_pSink->TakeInto(m_bytes))
            return Fail(kNoMemory);
        ReleaseEncoder();
        m_nPhase = decoding;
        return TRUE;
    default:
        return Fail(m_pEncoder->GetError());
    }
}

BOOL cAnimationPlayer::HasRoomAhead() const
{
    return m_ahead.empty() || (m_ahead.size() < kFramesAhead && m_cbAhead < kBytesAhead);
}

BOOL cAnimationPlayer::DecodeAhead()
{
    if (!HasRoomAhead())
        return FALSE;
    if (m_pSink != nullptr && !m_pSink->TakeInto(m_bytes))
        return Fail(kNoMemory);
    if (m_bKeepBytes && m_bytes.size() > m_cbKeep) {
        // Too large to keep for the next loop: read once and let go.
        m_bKeepBytes = FALSE;
        while (!m_written.empty() && m_nFirstWritten < m_decoder.GetFrameCount()) {
            m_written.pop_front();
            ++m_nFirstWritten;
        }
    }
    size_t cbUsed = 0;
    const cGifDecoder::Result result = m_decoder.Decode(m_bytes.data() + m_nRead, m_bytes.size() - m_nRead, cbUsed);
    m_nRead += cbUsed;
    if (!m_bKeepBytes)
        DropReadBytes();
    switch (result) {
    case cGifDecoder::frameReady:
        QueueFrame();
        return TRUE;
    case cGifDecoder::finished:
        return EndOfPass();
    case cGifDecoder::damaged:
        return Fail(kUnreadable);
    default:
        return FALSE;
    }
}

void cAnimationPlayer::DropReadBytes()
{
    // In large pieces, so that the bytes still to read move seldom.
    if (m_nRead == m_bytes.size() || m_nRead >= (64u << 10)) {
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(m_nRead));
        m_nRead = 0;
    }
}

void cAnimationPlayer::QueueFrame()
{
    const size_t nPixels = static_cast<size_t>(m_decoder.GetWidth()) * m_decoder.GetHeight();
    m_ahead.emplace_back();
    Frame& frame = m_ahead.back();
    frame.pixels.assign(m_decoder.GetScreen(), m_decoder.GetScreen() + nPixels);
    frame.nWidth = m_decoder.GetWidth();
    frame.nHeight = m_decoder.GetHeight();
    frame.nDelay = ShownDelay(m_decoder.GetDelay());
    frame.nImage = m_decoder.GetFrameCount() - 1;
    frame.dwTime = m_dwTime;
    frame.nLoop = m_nLoop;
    m_dwTime += frame.nDelay;
    m_cbAhead += nPixels * sizeof(DWORD);
    const int nWritten = frame.nImage - m_nFirstWritten;
    if (nWritten >= 0 && nWritten < static_cast<int>(m_written.size())) {
        frame.pNode = m_written[nWritten].pNode;
        frame.nNodeFrame = m_written[nWritten].nFrame;
    }
    if (!m_bKeepBytes) {
        while (!m_written.empty() && m_nFirstWritten <= frame.nImage) {
            m_written.pop_front();
            ++m_nFirstWritten;
        }
    }
}

BOOL cAnimationPlayer::EndOfPass()
{
    if (m_decoder.GetFrameCount() == 0)
        return Fail(kNoImage);
    // A loop count of n repeats the animation n times after the first
    // showing, as viewers play it; 0 repeats it for ever; without one it
    // shows once.
    const int nCount = m_decoder.GetLoopCount();
    ++m_nLoop;
    m_dwTime = 0;
    if (nCount < 0 || (nCount > 0 && m_nLoop > nCount)) {
        ReleaseEncoder();
        m_nPhase = done;
        return TRUE;
    }
    if (m_bKeepBytes && m_nPhase == decoding) {
        m_decoder.Reset();
        m_nRead = 0;
        return TRUE;
    }
    ReleaseEncoder();
    return StartPass();
}

BOOL cAnimationPlayer::ShowNext(DWORD dwNow)
{
    if (m_ahead.empty() || (m_nShown > 0 && static_cast<LONG>(dwNow - m_dwDue) < 0)) {
        if (m_ahead.empty() && m_nPhase == done && m_nState == playing)
            m_nState = ended;
        return FALSE;
    }
    // Within one frame of its time the schedule holds; later, it starts
    // again from now.
    const DWORD dwLate = dwNow - m_dwDue;
    const DWORD dwFrom = m_nShown > 0 && dwLate < 10u * m_current.nDelay ? m_dwDue : dwNow;
    m_cbAhead -= m_ahead.front().pixels.size() * sizeof(DWORD);
    m_current = std::move(m_ahead.front());
    m_ahead.pop_front();
    m_dwDue = dwFrom + 10u * m_current.nDelay;
    ++m_nShown;
    m_nState = m_ahead.empty() && m_nPhase == done ? ended : playing;
    return TRUE;
}
