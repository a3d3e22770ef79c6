// cImageList: the group node's record.
#include "ImageList.h"

IMPLEMENT_SERIAL(cImageList, cTestNode, 0)

cImageList::cImageList()
{
    m_nType = typeSequence;
}

void cImageList::Serialize(CArchive& ar)
{
    cTestNode::Serialize(ar);
    if (ar.IsStoring()) {
        ar << static_cast<DWORD>(0);
    } else {
        DWORD dwVersion;            // accepted whatever it says
        ar >> dwVersion;
    }
}
