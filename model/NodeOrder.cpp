// Moving nodes between groups and ordering a sequence by number.
#include "NodeOrder.h"

#include "TestNode.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace {

// A run of decimal digits without its leading zeros ("0047" is "47"; "000"
// is empty), so that numbers of any length compare by length, then digits.
struct Digits
{
    LPCSTR p;
    size_t n;
};

int CompareDigits(const Digits& a, const Digits& b)
{
    if (a.n != b.n)
        return a.n < b.n ? -1 : 1;
    return std::strncmp(a.p, b.p, a.n);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The digits starting at p, up to the first other character; end receives it.
Digits ReadDigits(LPCSTR p, LPCSTR& end)
{
    while (*p == '0' && IsDigit(p[1]))
        ++p;
    if (*p == '0')
        ++p;        // a run of zeros alone is the number 0: no digits left
    LPCSTR start = p;
    while (IsDigit(*p))
        ++p;
    end = p;
    return Digits{start, static_cast<size_t>(p - start)};
}

// The file name without folder and extension: what a user sees as the name.
struct Title
{
    LPCSTR p;
    size_t n;
};

Title TitleOf(LPCSTR pszName)
{
    LPCSTR start = pszName;
    for (LPCSTR p = pszName; *p != '\0'; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            start = p + 1;
    LPCSTR dot = std::strrchr(start, '.');
    const size_t n = dot != nullptr ? static_cast<size_t>(dot - start) : std::strlen(start);
    return Title{start, n};
}

// The last number in the title; FALSE when it has none.
BOOL LastNumber(const Title& title, Digits& number)
{
    LPCSTR end = title.p + title.n;
    LPCSTR p = end;
    while (p > title.p && !IsDigit(p[-1]))
        --p;
    if (p == title.p)
        return FALSE;
    while (p > title.p && IsDigit(p[-1]))
        --p;
    LPCSTR afterRun = nullptr;
    number = ReadDigits(p, afterRun);
    return TRUE;
}

// Text order with numbers compared as numbers, ignoring case.
int CompareNatural(const Title& a, const Title& b)
{
    LPCSTR pa = a.p, pb = b.p;
    LPCSTR const ea = a.p + a.n, eb = b.p + b.n;
    while (pa < ea && pb < eb) {
        if (IsDigit(*pa) && IsDigit(*pb)) {
            LPCSTR na = nullptr, nb = nullptr;
            const int n = CompareDigits(ReadDigits(pa, na), ReadDigits(pb, nb));
            if (n != 0)
                return n;
            pa = std::min(na, ea);
            pb = std::min(nb, eb);
            continue;
        }
        const int ca = std::tolower(static_cast<unsigned char>(*pa));
        const int cb = std::tolower(static_cast<unsigned char>(*pb));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++pa;
        ++pb;
    }
    return (pa < ea) - (pb < eb);
}

} // namespace

int ChildIndex(cTestNode* pParent, cTestNode* pChild)
{
    if (pParent == nullptr || pChild == nullptr)
        return -1;
    for (int i = 0; i < pParent->GetChildCount(); ++i)
        if (pParent->GetChild(i) == pChild)
            return i;
    return -1;
}

BOOL IsInSubtree(cTestNode* pNode, cTestNode* pAncestor)
{
    if (pNode == nullptr || pAncestor == nullptr)
        return FALSE;
    if (pNode == pAncestor)
        return TRUE;
    for (int i = 0; i < pAncestor->GetChildCount(); ++i)
        if (IsInSubtree(pNode, pAncestor->GetChild(i)))
            return TRUE;
    return FALSE;
}

BOOL CanHoldChildren(cTestNode* pNode)
{
    return pNode != nullptr && pNode->m_nType == cTestNode::typeSequence;
}

BOOL MoveNode(cTestNode* pNode, cTestNode* pFrom, cTestNode* pTo, int nIndex)
{
    const int nFrom = ChildIndex(pFrom, pNode);
    if (nFrom < 0 || !CanHoldChildren(pTo) || IsInSubtree(pTo, pNode))
        return FALSE;
    // Room first, while nothing has changed: the removal and the insertion
    // below then cannot fail half way.
    const int nToSize = pTo->GetSize();
    try {
        pTo->SetSize(nToSize + 1);
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
    pTo->SetSize(nToSize);
    pFrom->RemoveAt(nFrom);
    nIndex = std::max(0, std::min(nIndex, pTo->GetSize()));
    pTo->InsertAt(nIndex, pNode);
    return TRUE;
}

int CompareByNumber(LPCSTR pszA, LPCSTR pszB)
{
    const Title a = TitleOf(pszA), b = TitleOf(pszB);
    Digits na = {}, nb = {};
    const BOOL bA = LastNumber(a, na), bB = LastNumber(b, nb);
    if (bA != bB)
        return bA ? -1 : 1;
    if (bA) {
        const int n = CompareDigits(na, nb);
        if (n != 0)
            return n;
    }
    const int n = CompareNatural(a, b);
    if (n != 0)
        return n;
    // The same but for zeros in front ("shot010", "shot10"): the text decides.
    const size_t nShorter = std::min(a.n, b.n);
    const int nText = ::_strnicmp(a.p, b.p, nShorter);
    return nText != 0 ? nText : (a.n > b.n) - (a.n < b.n);
}

BOOL SortByNumber(cTestNode* pList)
{
    if (!CanHoldChildren(pList))
        return FALSE;
    std::vector<cTestNode*> children;
    for (int i = 0; i < pList->GetChildCount(); ++i)
        children.push_back(pList->GetChild(i));
    std::vector<cTestNode*> sorted(children);
    std::stable_sort(sorted.begin(), sorted.end(), [](cTestNode* a, cTestNode* b) {
        return CompareByNumber(a->GetName(-1), b->GetName(-1)) < 0;
    });
    if (sorted == children)
        return FALSE;
    for (size_t i = 0; i < sorted.size(); ++i)
        pList->SetAt(static_cast<int>(i), sorted[i]);
    return TRUE;
}
