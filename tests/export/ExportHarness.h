// What the export tests share: a progress that records what the walks tell
// it, pictures written as .bmp files, and the .expect text that gifdump must
// print for a file the export wrote (checked on the host by check_gifs.py).
#pragma once

#include "AVIFile.h"
#include "ExportProgress.h"
#include "ImageFile.h"
#include "ImageList.h"

#include "BmpBuilder.h"
#include "MovieFiles.h"
#include "TestSupport.h"

#include <windows.h>

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

namespace exporttest {

class RecordingProgress : public cExportProgress
{
public:
    void BeginWait() override { ++nWaits; }
    void EndWait() override { --nWaits; }
    void Show() override { ++nShown; }
    void Hide() override { --nShown; }
    void SetStatus(LPCSTR pszText) override { statuses.push_back(pszText); }
    void SetRange(int nMax) override { nRange = nMax; }
    void StepIt() override { ++nSteps; }

    // "file | reason" for each file the report says was left out.
    std::vector<std::string> Skipped() const
    {
        std::vector<std::string> lines;
        for (const cExportReport::SkippedFile& s : GetReport().m_skipped)
            lines.push_back(std::string(s.strFile) + " | " + static_cast<LPCSTR>(s.strReason));
        return lines;
    }

    // Files that exist already: the lists asked about, and the answer.
    ReplaceAnswer AskReplace(const std::vector<CString>& existing) override
    {
        asked.emplace_back(existing.begin(), existing.end());
        return replaceAnswer;
    }

    int nWaits = 0, nShown = 0, nRange = -1, nSteps = 0;
    int nCancelAtStep = -1;         // the user stops the export once the bar reaches it
    std::vector<std::string> statuses, failures, messages, reasons;
    ReplaceAnswer replaceAnswer = replaceExisting;
    std::vector<std::vector<std::string>> asked;

protected:
    void ShowFailure(const cExportReport::Failure& f) override
    {
        failures.push_back(std::string(f.strMessage) + (!f.strFile.IsEmpty() ? " | " + std::string(f.strFile) : ""));
        messages.push_back(static_cast<LPCSTR>(f.strMessage));
        reasons.push_back(static_cast<LPCSTR>(f.strReason));
    }
    bool PollCancel() override { return nCancelAtStep >= 0 && nSteps >= nCancelAtStep; }
};

// The settings of an export of either kind, the output in the work folder.
inline cExportSettings AnimationSettings(const std::string& output, int rate, int loop, int mode)
{
    cExportSettings s;
    s.nKind = cExportSettings::animation;
    s.strOutput = testsupport::WorkPath(output).c_str();
    s.nFrameRate = rate;
    s.nLoopCount = loop;
    s.nTransparency = mode;
    s.bDifferencing = FALSE;    // the plain layout, byte for byte
    return s;
}

inline cExportSettings BatchSettings(BOOL bExpand, int mode)
{
    cExportSettings s;
    s.bDifferencing = FALSE;
    s.nKind = cExportSettings::batch;
    s.bExpand = bExpand;
    s.nTransparency = mode;
    return s;
}

// A picture: colour indices top row first, with the colour table it is shown in.
struct Picture
{
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> rgb;       // 256 red, green, blue triples

    uint8_t TopLeft() const { return pixels[0]; }
};

// The picture of the BmpBuilder file of that size.
inline Picture BmpPicture(int width, int height)
{
    Picture p;
    p.width = width;
    p.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.pixels.push_back(bmp::PixelByte(x, y));
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD q = bmp::Colour(i);
        p.rgb.insert(p.rgb.end(), {q.rgbRed, q.rgbGreen, q.rgbBlue});
    }
    return p;
}

// Writes a .bmp of the builder's picture; rows bottom-up unless topDown.
inline std::string WriteBmp(const std::string& name, int width, int height, WORD bitCount = 8, bool topDown = false)
{
    bmp::Layout layout;
    layout.width = width;
    layout.height = topDown ? -height : height;
    layout.bitCount = bitCount;
    const bmp::Bytes file = bmp::File(layout);
    const std::string path = testsupport::WorkPath(name);
    testsupport::WriteFileBytes(path, file.data(), file.size());
    return path;
}

// What gifdump prints for a file: the screen, the global table, the loop
// count, then each image with its control extension.
class GifExpect
{
public:
    GifExpect(int width, int height, const std::vector<uint8_t>& rgb, int loop)
    {
        m_text = "screen " + std::to_string(width) + " " + std::to_string(height) + " 8 0\n"
                 + "colours " + testsupport::Hex(rgb.data(), rgb.size()) + "\n" + "loop " + std::to_string(loop) + "\n";
    }
    // transparent < 0: no transparent colour. localTable: the image carries
    // the picture's colours as a table of its own. restore: restored to the
    // background once shown, as a transparent image always is.
    void Image(const Picture& p, int delay, int transparent, bool localTable = false, bool restore = false)
    {
        char control[64];
        std::snprintf(control, sizeof control, "control %02x %d %d\n",
                      transparent >= 0 ? 0x89 : restore ? 0x88 : 0x80, delay, transparent >= 0 ? transparent : 0);
        m_text += control;
        m_text += "image 0 0 " + std::to_string(p.width) + " " + std::to_string(p.height) + (localTable ? " 0 1\n" : " 0 0\n");
        if (localTable)
            m_text += "local " + testsupport::Hex(p.rgb.data(), p.rgb.size()) + "\n";
        m_text += "pixels " + testsupport::Hex(p.pixels.data(), p.pixels.size()) + "\n";
    }
    // Writes <stem>.expect beside the output, for the host-side check.
    bool Write(const std::string& gifPath) const
    {
        const std::string path = gifPath.substr(0, gifPath.size() - 4) + ".expect";
        return testsupport::WriteFileBytes(path, m_text.data(), m_text.size());
    }

private:
    std::string m_text;
};

struct Source
{
    // A .bmp written into the work folder, or an .avi copied there from the
    // movie folder; it may name a subfolder, which must exist.
    const char* name;
    int width, height;
    WORD bitCount;
    int group;              // 0: at the top level; n: inside top-level group n
};

// A project from sources: bitmaps are written, movies copied into the work folder.
inline void BuildProject(cImageList& root, const std::vector<Source>& sources)
{
    std::vector<cImageList*> groups;
    for (const Source& s : sources) {
        const std::string name = s.name;
        cTestNode* pNode;
        if (name.size() > 4 && name.substr(name.size() - 4) == ".avi") {
            const std::string path = testsupport::WorkPath(name);
            ::CopyFileA(moviefiles::Path(name.substr(name.find_last_of('\\') + 1)).c_str(), path.c_str(), FALSE);
            pNode = new cAVIFile(path.c_str());
        } else {
            pNode = new cImageFile(WriteBmp(name, s.width, s.height, s.bitCount).c_str());
        }
        if (s.group == 0) {
            root.Add(pNode);
            continue;
        }
        while (static_cast<int>(groups.size()) < s.group) {
            groups.push_back(new cImageList);
            groups.back()->m_nType = cTestNode::typeSequence;
            root.Add(groups.back());
        }
        groups[s.group - 1]->Add(pNode);
    }
}

// The picture of frame n of the generated clip (make_movies' frame_pixels).
inline Picture ClipPicture(int n)
{
    moviefiles::SourceFrames frames;
    Picture p;
    if (!moviefiles::LoadSourceFrames("clip", frames))
        return p;
    p.width = frames.nWidth;
    p.height = frames.nHeight;
    p.pixels.assign(frames.Frame(n), frames.Frame(n) + p.width * p.height);
    p.rgb = frames.palette;
    return p;
}

// The temporary files (~rw*.gif) in a folder of the work folder: an export
// that ended leaves none.
inline std::vector<std::string> TemporaryFiles(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA((testsupport::WorkPath(folder) + "\\~rw*.gif").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (::FindNextFileA(hFind, &found));
    ::FindClose(hFind);
    return names;
}

} // namespace exporttest
