// CTableMaker: counting, then the exact table or a cut refined.
#include "TableMaker.h"

#include <string.h>

bool CTableMaker::Make(const DWORD* pixels, DWORD n, const ColourOptions& options, ColourPlan& plan)
{
    ::ZeroMemory(plan.colours, sizeof plan.colours);
    plan.count = 0;
    plan.keyIndex = -1;
    plan.exact = false;
    if (!m_histogram.Count(pixels, n, options.hasKey ? &options.key : nullptr))
        return false;
    const bool keyShown = options.hasKey && m_histogram.Pixels() < n;
    const DWORD room = keyShown ? options.limit - 1 : options.limit;
    DWORD count = 0;
    if (m_histogram.Size() <= room) {
        // Its own colours, exactly (or, past the histogram's exact size,
        // the means of its entries: there is room for all of them).
        count = m_histogram.Size();
        for (DWORD k = 0; k < count; ++k)
            plan.colours[k] = m_histogram.Colour(k);
        plan.exact = m_histogram.Exact();
    } else if (!m_cut.Cut(m_histogram, room, plan.colours, &count)
               || !m_refiner.Refine(m_histogram, room, plan.colours, &count)) {
        return false;
    }
    if (keyShown) {
        plan.keyIndex = static_cast<int>(count);
        plan.colours[count++] = options.key & 0xFFFFFF;
    }
    // A frame of the key colour alone still has a table of one entry.
    if (count == 0)
        plan.colours[count++] = 0;
    plan.count = count;
    return true;
}
