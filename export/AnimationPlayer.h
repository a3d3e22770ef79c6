// cAnimationPlayer: the project played as its GIF will show it. The frames
// go through the export's own path (cPlayEncoder) into memory and are read
// back by our decoder (cGifDecoder) as they arrive, at the GIF's delays and
// as often as its loop count says. It has no window: whoever shows the
// frames calls Step from a timer, and each call does a bounded slice of
// work, so the window stays responsive. Memory stays bounded whatever the
// number of frames: a few decoded frames wait ahead, the encoder writes only
// when they run short, and the GIF's bytes are dropped once read (they are
// kept for the next loop only while they stay small).
#pragma once

#include "ExportSettings.h"
#include "GifDecoder.h"

#include <windows.h>

#include <deque>
#include <memory>
#include <vector>

class cDrawDib;
class cGifMemoryStream;
class cPlayEncoder;
class cTestNode;

class cAnimationPlayer
{
public:
    enum State
    {
        starting,       // no frame shown yet
        playing,
        ended,          // the last loop's last frame is showing
        failed          // GetError says why
    };

    // One frame as the GIF shows it.
    struct Frame
    {
        std::vector<DWORD> pixels;      // 0xAARRGGBB, top row first; alpha 0 is transparent
        LONG nWidth = 0;
        LONG nHeight = 0;
        WORD nDelay = 0;                // hundredths of a second, as shown
        int nImage = 0;                 // the image's index in the GIF
        DWORD dwTime = 0;               // when it shows, in hundredths from the animation's start
        int nLoop = 0;                  // which showing of the animation, from 0
        cTestNode* pNode = nullptr;     // the project node it came from, when known
        int nNodeFrame = 0;             // the frame of that node
    };

    // How far ahead it decodes: this many frames, or fewer when they would
    // take more than this many bytes (one at least).
    static constexpr size_t kFramesAhead = 4;
    static constexpr size_t kBytesAhead = 32u << 20;
    // The GIF's bytes are kept for the next loop while they take at most this.
    static constexpr size_t kBytesKept = 4u << 20;

// Construction
    // Plays the project under pRoot with the export's settings. The nodes
    // must stay as they are until the player is destroyed. The GIF's bytes
    // are kept for the next loop while they take at most cbKeep.
    cAnimationPlayer(cTestNode* pRoot, const cExportSettings& settings, size_t cbKeep = kBytesKept);
    ~cAnimationPlayer();
    cAnimationPlayer(const cAnimationPlayer&) = delete;
    cAnimationPlayer& operator=(const cAnimationPlayer&) = delete;

// Attributes
    State GetState() const { return m_nState; }
    LPCSTR GetError() const { return m_pszError; }
    // The frame on show; null before the first.
    const Frame* GetCurrent() const { return m_nShown > 0 ? &m_current : nullptr; }
    // The frames shown so far, over all loops.
    int GetShownCount() const { return m_nShown; }
    // The milliseconds after dwNow at which the next frame is due (0: now
    // or as soon as it is ready).
    DWORD GetWait(DWORD dwNow) const;
    // What it holds now in frames and bytes waiting (for tests of its bounds).
    size_t GetFramesWaiting() const { return m_ahead.size(); }
    size_t GetBytesWaiting() const { return m_bytes.size() - m_nRead; }

// Operations
    // Works for at most about dwBudget milliseconds (scanning, encoding,
    // decoding ahead), then, if the next frame is due at dwNow (a
    // millisecond clock such as GetTickCount), makes it current: TRUE when
    // a new frame is current.
    BOOL Step(DWORD dwNow, DWORD dwBudget);

// Implementation
private:
    enum Phase
    {
        scanning,       // the canvas is being built
        encoding,       // the encoder writes into the sink; its bytes are decoded as they come
        decoding,       // every byte of this pass is in m_bytes
        done            // the last loop is decoded
    };

    BOOL Fail(LPCSTR pszError);
    // One unit of work: FALSE when there is nothing to do now.
    BOOL Work();
    BOOL StartPass();
    BOOL WriteAhead();
    void ReleaseEncoder();
    BOOL DecodeAhead();
    BOOL HasRoomAhead() const;
    void QueueFrame();
    BOOL EndOfPass();
    BOOL ShowNext(DWORD dwNow);
    void DropReadBytes();

    struct Written
    {
        cTestNode* pNode;
        int nFrame;
    };

    cTestNode* m_pRoot;
    cExportSettings m_settings;
    Phase m_nPhase;
    State m_nState;
    LPCSTR m_pszError;
    std::unique_ptr<cPlayEncoder> m_pEncoder;
    std::unique_ptr<cDrawDib> m_pCanvas;        // the first pass's scan, for later ones
    cGifMemoryStream* m_pSink;
    std::vector<BYTE> m_bytes;
    size_t m_nRead;
    size_t m_cbKeep;
    BOOL m_bKeepBytes;          // the whole GIF is in m_bytes: the next loop reads it again
    cGifDecoder m_decoder;
    std::deque<Written> m_written;  // the frames sent, from image m_nFirstWritten on
    int m_nFirstWritten;
    std::deque<Frame> m_ahead;
    size_t m_cbAhead;
    Frame m_current;
    int m_nShown;
    int m_nLoop;
    DWORD m_dwTime;             // hundredths into the animation of the next frame decoded
    DWORD m_dwDue;              // when the next frame is due (a tick count)
};
