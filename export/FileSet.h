// cFileSet: files gathered to be compared as files, whatever name reaches
// them: a file that exists by its identity (volume and file index), so that
// short names, "..", case, forward slashes and links all count; one that
// does not by its full long path, in any case.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <tuple>

class cFileSet
{
public:
// Operations
    void Add(LPCSTR pszPath);

// Attributes
    BOOL Contains(LPCSTR pszPath) const;

// Implementation
private:
    struct Identity
    {
        DWORD dwVolume;
        DWORD nIndexHigh;
        DWORD nIndexLow;

        bool operator<(const Identity& other) const
        {
            return std::tie(dwVolume, nIndexHigh, nIndexLow)
                   < std::tie(other.dwVolume, other.nIndexHigh, other.nIndexLow);
        }
    };

    // FALSE when the file cannot be reached (it does not exist, say).
    static BOOL GetIdentity(LPCSTR pszPath, Identity& identity);
    // The full path, an existing file's short parts made long, in capitals.
    static std::string NameKey(LPCSTR pszPath);

    std::set<Identity> m_identities;
    std::set<std::string> m_names;
};
