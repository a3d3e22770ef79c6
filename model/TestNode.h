// cTestNode: the base of every project node, with its name, its kind, its
// tree item and the frame interface that all nodes share.
#pragma once

#include "MyObArray.h"

#include <commctrl.h>

class cDrawDib;

class cTestNode : public cMyObArray
{
    DECLARE_SERIAL(cTestNode)
public:
    // Node kinds, kept in m_nType.
    enum { typeNode = 0, typeSequence = 1, typeImage = 2, typeMovie = 3 };

// Construction
    cTestNode();
    ~cTestNode() override;

// Attributes
    void SetTreeItem(HTREEITEM hTreeItem) { m_hTreeItem = hTreeItem; }
    // The number of nodes alive in the process.
    static int GetLiveCount() { return s_nLiveCount; }

// Operations
    // Takes p out of this node's children without deleting it; FALSE when it is not one.
    BOOL RemoveChild(cTestNode* p);

// Overridables
    void Serialize(CArchive& ar) override;
    virtual LPCSTR GetName(int nFrame = -1);
    virtual void SetName(LPCSTR lpszName);

    // The frame interface. Open and Close bracket every use of the three
    // frame calls; they nest, and every Open is matched by one Close
    // whatever it returned. Frames handed out belong to the caller.
    virtual int GetFrameCount();
    virtual cDrawDib* GetFrame(int nFrame);
    // Why the last GetFrame gave no frame, where the node can name a reason
    // the user can act on; null otherwise.
    virtual LPCSTR GetFrameRefusal();
    virtual cDrawDib* GetFrameFormat(int nFrame);
    virtual int GetChildCount();
    virtual cTestNode* GetChild(int i);         // null out of range
    virtual BOOL Open();
    virtual void Close();
    // The clock and frame size of a node whose frames have their own (a
    // movie): rate over scale frames a second. FALSE, with nothing set, for
    // a node that has none or is not open.
    virtual BOOL GetFrameClock(DWORD& dwRate, DWORD& dwScale, LONG& nWidth, LONG& nHeight);

// Implementation
    CString m_strName;
    int m_nType;
    HTREEITEM m_hTreeItem;

private:
    static int s_nLiveCount;
};
