// cMyObArray: the object array every project node is built on; it owns the
// nodes it holds.
#pragma once

#include "Afx.h"

class cMyObArray : public CObArray
{
    DECLARE_SERIAL(cMyObArray)
public:
// Construction
    cMyObArray() = default;
    ~cMyObArray() override;

// Operations
    // Deletes every element (null ones are skipped) in index order and empties the array.
    void DeleteAll();

// Overridables
    // Stores like the plain object array, leaving out null elements. Loading
    // replaces the elements and accepts only new project nodes, so the tree
    // it builds never holds a null or shared child.
    void Serialize(CArchive& ar) override;
};
