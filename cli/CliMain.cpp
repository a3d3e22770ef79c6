// reelwright-cli: the program's project and export work from a command
// line, on the same document, model and export code as the windows.
//   create PROJECT.seq FILE... [--force]
//   animate PROJECT.seq [--output FILE.gif] [--force] [--rate N] [--loop N] [--transparency none|first|each]
//           [--dither on|off] [--plain] [--width N] [--height N] [--colors N] [--lossy N] [--max-size SIZE]
//   batch PROJECT.seq [--expand] [--force] [--transparency none|first|each] [--dither on|off] [--plain]
//         [--width N] [--height N] [--colors N] [--lossy N]
//   show PROJECT.seq
// Exit status: 0 everything written, 1 something failed, 2 usage error.
#include "ByteSize.h"
#include "ConsoleApp.h"
#include "ConsoleProgress.h"
#include "FrameRecord.h"
#include "OutputGuard.h"
#include "TestDoc.h"
#include "TestNode.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

cConsoleApp theApp;

namespace {

const char kVersion[] = "reelwright-cli 1.0";
const int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;

const char kSynopsis[] =
    "usage: reelwright-cli create PROJECT.seq FILE... [--force]\n"
    "       reelwright-cli animate PROJECT.seq [--output FILE.gif [--force]] [--rate 1-100]\n"
    "                      [--loop -1-32000] [--transparency none|first|each] [--dither on|off]\n"
    "                      [--plain] [--width N] [--height N] [--colors 2-256] [--lossy 0-200]\n"
    "                      [--max-size SIZE]\n"
    "       reelwright-cli batch PROJECT.seq [--expand] [--force] [--transparency none|first|each]\n"
    "                      [--dither on|off] [--plain] [--width N] [--height N] [--colors 2-256]\n"
    "                      [--lossy 0-200]\n"
    "       reelwright-cli show PROJECT.seq\n"
    "       reelwright-cli --help | --version\n";

const char kDetails[] =
    "\n"
    "create   makes a project (its name ends in .seq) of bitmaps, numbered bitmaps\n"
    "         (one sequence per name) and movies, as dropping them on the window does\n"
    "animate  writes the whole project as one animation, to the project's output\n"
    "         name or else PROJECT.gif beside it; the options apply to this run only;\n"
    "         an --output that exists is replaced only with --force\n"
    "batch    converts every file of the project to a GIF beside it; GIFs that\n"
    "         exist are replaced only with --force, and no run replaces a GIF it\n"
    "         wrote for another file\n"
    "show     lists the project's tree and its export settings\n"
    "\n"
    "Frames of more than 256 colours are reduced to 256, dithered unless\n"
    "--dither off; frames of fewer keep their exact colours. Each image after\n"
    "the first is cropped to what changes, unless --plain.\n"
    "\n"
    "Smaller files: --width and/or --height scale every frame (one of them\n"
    "keeps the aspect ratio; 1-65535 pixels), --colors keeps at most N colours\n"
    "a frame, --lossy lets runs of pixels take colours close to their own (0\n"
    "off, up to 200; pixels that do not change and the transparent colour are\n"
    "never touched), and --max-size writes the animation with the least loss\n"
    "(more lossy, then fewer colours, then smaller frames) that fits in SIZE\n"
    "bytes, or K or M (1024-based: 500K, 2M); it writes nothing when nothing\n"
    "fits.\n";

int Usage(const char* pszProblem)
{
    // The synopsis alone: the problem stays on the screen, not scrolled off
    // by the whole help.
    std::fprintf(stderr, "reelwright-cli: %s\n%s(reelwright-cli --help says more)\n", pszProblem, kSynopsis);
    return kExitUsage;
}

// The full path at whatever length, so that one too long for a project is
// seen as such and refused, not kept as the relative name it was given by.
CString FullPath(const char* pszPath)
{
    const DWORD nNeeded = ::GetFullPathNameA(pszPath, 0, nullptr, nullptr);
    if (nNeeded == 0)
        return CString(pszPath);
    std::vector<char> full(nNeeded + 1);
    const DWORD n = ::GetFullPathNameA(pszPath, nNeeded + 1, full.data(), nullptr);
    return n > 0 && n <= nNeeded ? CString(full.data()) : CString(pszPath);
}

// A whole number within [nMin, nMax], nothing else in the text.
bool ParseInt(const char* pszText, int nMin, int nMax, int& nValue)
{
    char* pEnd = nullptr;
    const long n = std::strtol(pszText, &pEnd, 10);
    if (pEnd == pszText || *pEnd != '\0' || n < nMin || n > nMax)
        return false;
    nValue = static_cast<int>(n);
    return true;
}

const char* const kModes[] = {"none", "first", "each"};

// "on" or "off".
bool ParseSwitch(const char* pszText, int& nOn)
{
    if (std::strcmp(pszText, "on") != 0 && std::strcmp(pszText, "off") != 0)
        return false;
    nOn = std::strcmp(pszText, "on") == 0 ? 1 : 0;
    return true;
}

bool ParseMode(const char* pszText, int& nMode)
{
    for (int i = 0; i < 3; ++i)
        if (std::strcmp(pszText, kModes[i]) == 0) {
            nMode = i;
            return true;
        }
    return false;
}

// The options after the project name, as name and value pairs; flags have
// no value. FALSE after a usage message.
struct Options
{
    const char* pszOutput = nullptr;
    int nRate = -1, nLoop = 0, nMode = -1, nDither = 1;
    int nWidth = -1, nHeight = -1, nColours = -1, nLossiness = -1;
    DWORD dwMaxSize = 0;
    bool bLoop = false, bExpand = false, bForce = false, bPlain = false;
    std::vector<const char*> files;
};

bool ParseOptions(int argc, char** argv, const char* pszAllowed, Options& o, int& nExit)
{
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.compare(0, 2, "--") != 0) {
            if (std::strstr(pszAllowed, "FILE") == nullptr) {
                nExit = Usage(("unexpected argument " + arg).c_str());
                return false;
            }
            o.files.push_back(argv[i]);
            continue;
        }
        if (std::strstr(pszAllowed, (arg + " ").c_str()) == nullptr) {
            nExit = Usage(("unknown option " + arg).c_str());
            return false;
        }
        if (arg == "--force" || arg == "--expand" || arg == "--plain") {
            (arg == "--force" ? o.bForce : arg == "--expand" ? o.bExpand : o.bPlain) = true;
            continue;
        }
        if (i + 1 >= argc) {
            nExit = Usage((arg + " needs a value").c_str());
            return false;
        }
        const char* pszValue = argv[++i];
        bool bGood = true;
        LPCSTR pszWhy = nullptr;
        if (arg == "--output")
            bGood = (pszWhy = WhyBadOutputName(o.pszOutput = pszValue)) == nullptr;
        else if (arg == "--rate")
            bGood = ParseInt(pszValue, 1, 100, o.nRate);
        else if (arg == "--loop")
            bGood = o.bLoop = ParseInt(pszValue, -1, 32000, o.nLoop);
        else if (arg == "--dither")
            bGood = ParseSwitch(pszValue, o.nDither);
        else if (arg == "--width" || arg == "--height")
            bGood = ParseInt(pszValue, 1, 65535, arg == "--width" ? o.nWidth : o.nHeight);
        else if (arg == "--colors")
            bGood = ParseInt(pszValue, 2, 256, o.nColours);
        else if (arg == "--lossy")
            bGood = ParseInt(pszValue, 0, 200, o.nLossiness);
        else if (arg == "--max-size")
            bGood = ParseByteSize(pszValue, &o.dwMaxSize) != FALSE;
        else
            bGood = ParseMode(pszValue, o.nMode);
        if (!bGood) {
            const char* pszProblem = pszWhy == kOutputNoName ? kOutputNoName
                                     : pszWhy != nullptr    ? "the output must be a .gif file"
                                     : arg == "--max-size"  ? "not a size in bytes, K or M (500K, 2M)"
                                                            : "out of range or not one of the choices";
            nExit = Usage((arg + " " + pszValue + ": " + pszProblem).c_str());
            return false;
        }
    }
    return true;
}

// This run's size choices over the stored ones: a side given alone keeps
// the aspect ratio, so the other side is not taken from the project.
void ApplySizeChoices(const Options& o, cExportSettings& settings)
{
    if (o.nWidth > 0 || o.nHeight > 0) {
        settings.nOutputWidth = o.nWidth > 0 ? o.nWidth : 0;
        settings.nOutputHeight = o.nHeight > 0 ? o.nHeight : 0;
    }
    if (o.nColours > 0)
        settings.nColours = o.nColours;
    if (o.nLossiness >= 0)
        settings.nLossiness = o.nLossiness;
    if (o.dwMaxSize != 0)
        settings.dwMaxSize = o.dwMaxSize;
}

// Loads the project; its failures have been reported on stderr.
bool LoadProject(CTestDoc& doc, const CString& strPath)
{
    theApp.SetCurrentFile(strPath);
    if (!doc.OnOpenDocument(strPath))
        return FALSE;
    // As the window's document knows its file: the exports never replace it.
    doc.SetPathName(strPath, FALSE);
    return TRUE;
}

int Create(const CString& strProject, const Options& o)
{
    if (o.files.empty())
        return Usage("create needs at least one file");
    // Any other name could be an export's output, which would replace it.
    if (!CTestDoc::IsProjectFileName(strProject))
        return Usage("the project's name must end in .seq");
    if (!o.bForce && ::GetFileAttributesA(strProject) != INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "%s: the project exists; --force replaces it\n", static_cast<LPCSTR>(strProject));
        return kExitFailed;
    }
    CTestDoc doc;
    std::vector<CString> paths, skipped;
    int nRefused = 0;
    for (const char* pszFile : o.files) {
        const CString strPath = FullPath(pszFile);
        if (LPCSTR pszWhy = CTestDoc::WhyUnusablePath(strPath)) {
            std::fprintf(stderr, "%s: refused: %s\n", static_cast<LPCSTR>(strPath), pszWhy);
            ++nRefused;
        } else if (CTestDoc::IsProjectFileName(strPath))
            std::fprintf(stderr, "%s: skipped: a project file is not added to another project\n",
                         static_cast<LPCSTR>(strPath));
        else
            paths.push_back(strPath);
    }
    doc.AddDroppedFiles(paths, &skipped);
    for (const CString& strSkipped : skipped)
        std::fprintf(stderr, "%s: skipped: %s\n", static_cast<LPCSTR>(strSkipped), CTestDoc::kNotAddable);
    theApp.SetCurrentFile(strProject);
    if (!doc.OnSaveDocument(strProject))
        return kExitFailed;
    std::fprintf(stderr, "%s: %d item(s), %d frame(s)\n", static_cast<LPCSTR>(strProject), doc.GetTopLevelCount(),
                 doc.CountFrames());
    return nRefused == 0 ? kExitOk : kExitFailed;
}

// Runs the export the document way, tells what was left out, and gives
// the exit status: 0 only when everything was written.
int RunExport(CTestDoc& doc, const cExportSettings& settings, cConsoleProgress& progress)
{
    const cExportReport report = doc.Export(settings, &progress);
    for (const cExportReport::SkippedFile& skipped : report.m_skipped)
        std::fprintf(stderr, "%s: skipped: %s\n", static_cast<LPCSTR>(skipped.strFile),
                     static_cast<LPCSTR>(skipped.strReason));
    for (const CString& strNote : report.m_notes)
        std::fprintf(stderr, "%s\n", static_cast<LPCSTR>(strNote));
    if (report.m_bCancelled)
        std::fprintf(stderr, "stopped: nothing unfinished was kept\n");
    const CString strWritten = report.WrittenSummary();
    if (!strWritten.IsEmpty())
        std::fprintf(stderr, "%s\n", static_cast<LPCSTR>(strWritten));
    std::fflush(stderr);
    return report.IsComplete() ? kExitOk : kExitFailed;
}

int Animate(const CString& strProject, const Options& o)
{
    CTestDoc doc;
    if (!LoadProject(doc, strProject))
        return kExitFailed;
    // The stored settings, with this run's choices over them; the project is not changed.
    cExportSettings settings = doc.GetExportSettings(cExportSettings::animation);
    // The output: this run's name, else the one the project keeps, else PROJECT.gif beside it.
    if (o.pszOutput != nullptr) {
        settings.strOutput = FullPath(o.pszOutput);
        // A name the user typed just now may be a file they still want;
        // one of the project's own files is refused by the export, --force
        // or not.
        if (!o.bForce && ::GetFileAttributesA(settings.strOutput) != INVALID_FILE_ATTRIBUTES
            && !IsProjectFile(&doc.m_root, settings.strOutput, strProject)) {
            std::fprintf(stderr, "%s: exists; --force replaces it\n", static_cast<LPCSTR>(settings.strOutput));
            return kExitFailed;
        }
    } else if (settings.strOutput.IsEmpty()) {
        settings.strOutput = GifOutputName(strProject);
    }
    if (o.nRate > 0)
        settings.nFrameRate = o.nRate;
    if (o.bLoop)
        settings.nLoopCount = o.nLoop;
    if (o.nMode >= 0)
        settings.nTransparency = o.nMode;
    settings.bDither = o.nDither != 0;
    settings.bDifferencing = !o.bPlain;
    ApplySizeChoices(o, settings);
    theApp.SetCurrentFile(settings.strOutput);
    cConsoleProgress progress;
    progress.SetDefaultFile(settings.strOutput);
    return RunExport(doc, settings, progress);
}

int Batch(const CString& strProject, const Options& o)
{
    CTestDoc doc;
    if (!LoadProject(doc, strProject))
        return kExitFailed;
    cExportSettings settings = doc.GetExportSettings(cExportSettings::batch);
    if (o.bExpand)
        settings.bExpand = TRUE;
    if (o.nMode >= 0)
        settings.nTransparency = o.nMode;
    settings.bDither = o.nDither != 0;
    settings.bDifferencing = !o.bPlain;
    ApplySizeChoices(o, settings);
    theApp.SetCurrentFile(nullptr);
    cConsoleProgress progress;
    progress.SetReplaceExisting(o.bForce);
    return RunExport(doc, settings, progress);
}

void ShowNode(cTestNode* pNode, int nDepth)
{
    static const char* const kinds[] = {"Node", "Sequence", "Image", "Movie"};
    const int nType = pNode->m_nType;
    const char* pszKind = nType >= 0 && nType <= 3 ? kinds[nType] : "Node";
    std::printf("%*s%s : %s\n", 2 * nDepth, "", pszKind, pNode->GetName(-1));
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        if (cTestNode* pChild = pNode->GetChild(i))
            ShowNode(pChild, nDepth + 1);
}

int Show(const CString& strProject)
{
    CTestDoc doc;
    if (!LoadProject(doc, strProject))
        return kExitFailed;
    ShowNode(&doc.m_root, 0);
    const cGifOptions& o = doc.m_options;
    const int nMode = o.m_nTransparency;
    std::printf("output: %s\n", static_cast<LPCSTR>(o.m_strOutput));
    std::printf("frame rate: %u\n", o.m_nFrameRate);
    // As the dialog shows it: the stored 16 bits read as signed.
    std::printf("loop count: %d\n", static_cast<short>(o.m_nLoopCount));
    std::printf("transparency: %s\n", nMode >= 0 && nMode <= 2 ? kModes[nMode] : "?");
    std::printf("expand: %s\n", o.m_bExpand == 1 ? "yes" : "no");
    if (o.m_nOutputWidth != 0 || o.m_nOutputHeight != 0)
        std::printf("size: %s x %s\n", o.m_nOutputWidth != 0 ? std::to_string(o.m_nOutputWidth).c_str() : "auto",
                    o.m_nOutputHeight != 0 ? std::to_string(o.m_nOutputHeight).c_str() : "auto");
    else
        std::printf("size: as the frames are\n");
    std::printf("colors: %lu\n", static_cast<unsigned long>(o.m_nColours));
    std::printf("lossy: %lu\n", static_cast<unsigned long>(o.m_nLossiness));
    std::printf("max size: %s\n", o.m_dwMaxSize != 0 ? static_cast<LPCSTR>(FormatByteSize(o.m_dwMaxSize)) : "none");
    std::printf("frames: %d\n", doc.CountFrames());
    return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    theApp.InitInstance();
    // Unbuffered, the runtime hands a console or a device one character at
    // a time, each a round trip under Wine: every message is assembled here
    // and written whole when the writer flushes it (at the latest, at exit).
    std::setvbuf(stderr, nullptr, _IOFBF, 4096);
    theApp.m_hInstance = ::GetModuleHandleA(nullptr);
    if (argc < 2)
        return Usage("no command");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h") {
        std::fputs(kSynopsis, stdout);
        std::fputs(kDetails, stdout);
        return kExitOk;
    }
    if (command == "--version") {
        std::printf("%s\n", kVersion);
        return kExitOk;
    }
    struct Command { const char* name; const char* allowed; };
    static const Command commands[] = {
        {"create", "FILE --force "},
        {"animate", "--output --force --rate --loop --transparency --dither --plain --width --height --colors --lossy "
                    "--max-size "},
        {"batch", "--expand --force --transparency --dither --plain --width --height --colors --lossy "},
        {"show", ""},
    };
    const Command* pCommand = nullptr;
    for (const Command& c : commands)
        if (command == c.name)
            pCommand = &c;
    if (pCommand == nullptr)
        return Usage(("unknown command " + command).c_str());
    if (argc < 3 || argv[2][0] == '-')
        return Usage((command + " needs a project file").c_str());
    Options options;
    int nExit = kExitOk;
    if (!ParseOptions(argc - 3, argv + 3, pCommand->allowed, options, nExit))
        return nExit;
    const CString strProject = FullPath(argv[2]);
    if (command == "create")
        return Create(strProject, options);
    if (command == "animate")
        return Animate(strProject, options);
    if (command == "batch")
        return Batch(strProject, options);
    return Show(strProject);
}
