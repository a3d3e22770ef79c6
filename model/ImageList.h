// cImageList: the group node. Its children are its elements, in order; the
// document's root is one with an empty name.
#pragma once

#include "TestNode.h"

class cImageList : public cTestNode
{
    DECLARE_SERIAL(cImageList)
public:
// Construction
    cImageList();

// Overridables
    void Serialize(CArchive& ar) override;
};
