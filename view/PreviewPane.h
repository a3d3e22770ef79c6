// CPreviewPane: the pane beside the project tree. It shows the selected
// node's picture fitted to the pane (never enlarged more than four times,
// and then by whole pixels, so that they stay sharp) with what it is under
// it; and, while Play runs, the whole animation as its GIF will show it,
// transparent pixels over a checkerboard. Every picture reaches the screen
// through cDrawDib.
#pragma once

#include "AnimationPlayer.h"
#include "DrawDib.h"
#include "Wnd.h"

#include <functional>
#include <memory>

struct cExportSettings;
class cTestNode;

class CPreviewPane : public CWnd
{
public:
// Construction
    CPreviewPane();
    ~CPreviewPane() override;
    BOOL Create(CWnd* pParentWnd, UINT nID);

// Attributes
    BOOL IsPlaying() const { return m_pPlayer != nullptr; }
    // The player while Play runs (for tests), else null.
    const cAnimationPlayer* GetPlayer() const { return m_pPlayer.get(); }
    // The picture on show as it is drawn (a played frame over its
    // checkerboard), or null; and where it is drawn in the pane.
    cDrawDib* GetPicture() const { return m_pPicture.get(); }
    RECT GetPictureRect() const;
    const CString& GetText() const { return m_strText; }

    // Called with the node of each played frame as it shows; and when
    // playing stops by itself (the end, or a failure told in the pane).
    std::function<void(cTestNode*)> m_onFrameShown;
    std::function<void()> m_onPlayStopped;

// Operations
    // Shows the node's first picture and its facts; null shows nothing.
    void ShowNode(cTestNode* pRoot, cTestNode* pNode, const cExportSettings& settings);
    // Plays the project under pRoot; its nodes must stay until Stop.
    void Play(cTestNode* pRoot, const cExportSettings& settings);
    // Stops playing; the last frame stays on show.
    void Stop();

// Message handlers
    void OnPaint();
    void OnSize(UINT nType, int cx, int cy);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);

// Implementation
protected:
    // The picture's size on screen in the pane as it is now.
    SIZE FittedSize(LONG nWidth, LONG nHeight) const;
    RECT PictureArea() const;
    void ShowFrame(const cAnimationPlayer::Frame& frame);
    void EndPlay(BOOL bTell);

    std::unique_ptr<cDrawDib> m_pPicture;
    CString m_strText;
    CString m_strFrame;         // the played frame's first two lines
    std::unique_ptr<cAnimationPlayer> m_pPlayer;
    UINT_PTR m_nTimer;
    int m_cyLine;

    DECLARE_MESSAGE_MAP()
};
