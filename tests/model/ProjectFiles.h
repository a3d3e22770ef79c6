// Saving and loading projects to and from bytes for the project-file tests,
// and building the trees they use.
#pragma once

#include "ImageFile.h"
#include "ProjectFile.h"

#include "TestSupport.h"

#include <functional>
#include <string>
#include <vector>

namespace projects {

typedef std::vector<BYTE> Bytes;

inline Bytes Save(cImageList& root, cGifOptions& options)
{
    const std::string path = testsupport::WorkPath("project-save.seq");
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite))
        return Bytes();
    {
        CArchive ar(&file, CArchive::store);
        cProjectFile::Serialize(ar, root, options);
        ar.Close();
    }
    file.Close();
    return testsupport::ReadFileBytes(path);
}

// Loads the bytes into root and options; the archive exception's cause, or -1.
inline int Load(const Bytes& bytes, cImageList& root, cGifOptions& options)
{
    const std::string path = testsupport::WorkPath("project-load.seq");
    if (!testsupport::WriteFileBytes(path, bytes.data(), bytes.size()))
        return -2;
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite))
        return -2;
    CArchive ar(&file, CArchive::load);
    try {
        cProjectFile::Serialize(ar, root, options);
    } catch (CArchiveException* e) {
        const int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return -1;
}

inline cImageList* Group(const char* name, std::initializer_list<cTestNode*> children)
{
    cImageList* group = new cImageList;
    group->SetName(name);
    for (cTestNode* child : children)
        group->SetAtGrow(group->GetSize(), child);
    return group;
}

// The project of the worked example: C:\A.BMP, then group B holding C:\B1.BMP.
inline void BuildWorkedExample(cImageList& root)
{
    root.SetAtGrow(0, new cImageFile("C:\\A.BMP"));
    root.SetAtGrow(1, Group("B", {new cImageFile("C:\\B1.BMP")}));
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A short string as stored: length byte, then the bytes.
inline Bytes Str(const std::string& text)
{
    return Concat({{static_cast<BYTE>(text.size())}, Text(text)});
}

// One line per node, depth-first: indentation, class name and names.
inline std::string Describe(cTestNode* node, int depth = 0)
{
    std::string text = std::string(depth * 2, ' ') + node->GetRuntimeClass()->m_lpszClassName + " kind " +
                       std::to_string(node->m_nType) + " '" + node->GetName(-1) + "'";
    if (node->IsKindOf(RUNTIME_CLASS(cImageFile)))
        text += " path '" + std::string(static_cast<cImageFile*>(node)->m_strPath) + "'";
    text += " elements " + std::to_string(node->GetSize()) + "\n";
    for (int i = 0; i < node->GetSize(); ++i)
        text += Describe(static_cast<cTestNode*>(node->GetAt(i)), depth + 1);
    return text;
}

} // namespace projects
