// cOutputFile: an export's output written under a temporary name beside its
// target, which replaces the target only once the new file is known to be
// whole. An export that fails, stops early or writes no image leaves the
// file the user had exactly as it was.
//
// The temporary file is held open from its creation to its end, so that
// RemoveOrphans, which every export runs on its folders, can tell the
// temporary files of live exports (in this process or another) from those
// a killed one left behind, and removes only the latter.
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
    // FALSE, with the reason kept, when the target cannot be replaced
    // (read-only, a folder, a name the file system refuses) or the folder
    // takes no new file.
    BOOL Create();
    // The name to write to; empty before Create.
    LPCSTR GetTempName() const { return m_strTemp; }
    LPCSTR GetTarget() const { return m_strTarget; }
    // Whether the written file was finished: the GIF handler ends a file
    // with the trailer byte only when everything before it was written.
    BOOL IsFinished() const;
    // Moves the temporary file over the target. FALSE, with the reason
    // kept, when that fails; the target is then as it was and the
    // temporary file is removed later.
    BOOL Commit();
    // The size of the file written, once committed.
    ULONGLONG GetSize() const { return m_nSize; }
    // Why Create or Commit failed, as the system says it where it does.
    const CString& GetFailureReason() const { return m_strReason; }

    // Deletes the temporary files ("~rwXXXX.gif") in the folder that no
    // process holds open: what exports that were killed left. A file some
    // process has open, however briefly, is never touched.
    static void RemoveOrphans(LPCSTR pszFolder);
    // The folder part of a path, with its final separator; empty when the
    // path cannot be made full.
    static CString FolderOf(LPCSTR pszPath);

// Implementation
private:
    void Fail(DWORD dwError);

    CString m_strTarget;
    CString m_strTemp;
    HANDLE m_hTemp;             // held from creation to the end: the file is live
    BOOL m_bCommitted;
    ULONGLONG m_nSize;
    CString m_strReason;
};
