// cTestNode: the node record, naming, child removal and the group's frame interface.
#include "TestNode.h"

IMPLEMENT_SERIAL(cTestNode, cMyObArray, 0)

int cTestNode::s_nLiveCount = 0;

cTestNode::cTestNode() : m_nType(typeNode), m_hTreeItem(nullptr)
{
    ++s_nLiveCount;
}

cTestNode::~cTestNode()
{
    --s_nLiveCount;
}

BOOL cTestNode::RemoveChild(cTestNode* p)
{
    for (int i = 0; i < m_nSize; ++i) {
        if (m_pData[i] == p) {
            RemoveAt(i);
            return TRUE;
        }
    }
    return FALSE;
}

void cTestNode::Serialize(CArchive& ar)
{
    cMyObArray::Serialize(ar);
    if (ar.IsStoring()) {
        ar << static_cast<DWORD>(0) << m_strName;
    } else {
        DWORD dwVersion;            // any value is accepted; nothing depends on it yet
        ar >> dwVersion >> m_strName;
    }
}

LPCSTR cTestNode::GetName(int nFrame)
{
    (void)nFrame;
    return m_strName;
}

void cTestNode::SetName(LPCSTR lpszName)
{
    m_strName = lpszName;
}

int cTestNode::GetFrameCount()
{
    return 0;
}

cDrawDib* cTestNode::GetFrame(int nFrame)
{
    (void)nFrame;
    return nullptr;
}

LPCSTR cTestNode::GetFrameRefusal()
{
    return nullptr;
}

cDrawDib* cTestNode::GetFrameFormat(int nFrame)
{
    (void)nFrame;
    return nullptr;
}

int cTestNode::GetChildCount()
{
    return GetSize();
}

cTestNode* cTestNode::GetChild(int i)
{
    // Asked virtually, so that a leaf that reports no children never hands one out.
    if (i < 0 || i >= GetChildCount() || i >= GetSize())
        return nullptr;
    return static_cast<cTestNode*>(GetAt(i));
}

BOOL cTestNode::Open()
{
    return TRUE;
}

void cTestNode::Close()
{
}

BOOL cTestNode::GetFrameClock(DWORD&, DWORD&, LONG&, LONG&)
{
    return FALSE;
}
