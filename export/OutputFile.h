// cOutputFile: an export's output written under a temporary name beside its
// target, which replaces the target only once the new file is known to be
// whole. An export that fails, stops early or writes no image leaves the
// file the user had exactly as it was.
#pragma once

#include "AfxString.h"

#include <windows.h>

class cOutputFile
{
public:
// Construction
    explicit cOutputFile(LPCSTR pszTarget);
    // Removes the temporary file unless it has replaced the target.
    ~cOutputFile();
    cOutputFile(const cOutputFile&) = delete;
    cOutputFile& operator=(const cOutputFile&) = delete;

// Operations
    // Reserves a new, empty temporary file in the target's folder, named
    // with a .gif extension so that AVIFile picks the GIF handler for it.
    // FALSE when the target cannot be replaced (read-only) or the folder
    // takes no new file.
    BOOL Create();
    // The name to write to; empty before Create.
    LPCSTR GetTempName() const { return m_strTemp; }
    LPCSTR GetTarget() const { return m_strTarget; }
    // Whether the written file was finished: the GIF handler ends a file
    // with the trailer byte only when everything before it was written.
    BOOL IsFinished() const;
    // Moves the temporary file over the target. FALSE when that fails; the
    // target is then as it was and the temporary file is removed later.
    BOOL Commit();

// Implementation
private:
    CString m_strTarget;
    CString m_strTemp;
    BOOL m_bCommitted;
};
