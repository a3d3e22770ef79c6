// CFileException: the Win32 error mapping and the messages of each cause.
#include "FileException.h"

IMPLEMENT_DYNAMIC(CFileException, CException)

CFileException::CFileException(int cause, LONG lOsError, LPCSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName)
{
}

int CFileException::OsErrorToException(LONG lOsError)
{
    switch (lOsError) {
    case NO_ERROR:                   return none;
    case ERROR_FILE_NOT_FOUND:       return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES:  return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:        return accessDenied;
    case ERROR_INVALID_HANDLE:       return invalidFile;
    case ERROR_CURRENT_DIRECTORY:    return removeCurrentDir;
    case ERROR_CANNOT_MAKE:          return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK:        return badSeek;
    case ERROR_SHARING_VIOLATION:    return sharingViolation;
    case ERROR_LOCK_VIOLATION:       return lockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:            return diskFull;
    case ERROR_HANDLE_EOF:           return endOfFile;
    default:                         return generic;
    }
}

void CFileException::ThrowOsError(LONG lOsError, LPCSTR lpszFileName)
{
    AfxThrowFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

BOOL CFileException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const
{
    static const char* const s_texts[] = {
        "No error occurred.",
        "An unexpected file error occurred.",
        "The file could not be found.",
        "All or part of the path is invalid.",
        "Too many files are open.",
        "Access to the file was denied.",
        "An invalid file handle was used.",
        "The current working directory cannot be removed.",
        "There are no more directory entries.",
        "An error occurred while setting the file position.",
        "A hardware input/output error occurred.",
        "A sharing violation occurred.",
        "A locking violation occurred.",
        "The disk is full.",
        "The end of the file was reached.",
    };
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    const int cause = (m_cause >= none && m_cause <= endOfFile) ? m_cause : generic;
    return CopyMessage(s_texts[cause], lpszError, nMaxError);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCSTR lpszFileName)
{
    throw new CFileException(cause, lOsError, lpszFileName);
}
