// What the window says around an export: the one question about GIFs that
// exist, the one report at the end (what failed, what was left out and
// why), the note of what was written, names refused with the dialog kept,
// the project file as no output, dropped files of no known kind, and
// message boxes that stay on the screen.
#include "DialogScript.h"
#include "ShellHarness.h"

#include "MessageBox.h"
#include "ProgressDlg.h"
#include "resource.h"

#include <gtest/gtest.h>

using namespace dialogscript;

namespace {

std::string Work(const std::string& name) { return testsupport::WorkPath(name); }

// A new, unmodified project of these files, added as a drop adds them.
void LoadProject(const std::vector<std::string>& paths)
{
    ResetProject();
    View()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)));
    Pump();
    Doc()->SetModifiedFlag(FALSE);
    App().m_messages.clear();
}

std::string StatusText()
{
    return static_cast<LPCSTR>(Frame()->GetStatusBar().GetPaneText(0));
}

std::string SizeText(const std::string& path)
{
    return std::to_string(testsupport::ReadFileBytes(path).size()) + " bytes";
}

} // namespace

// Twelve GIFs exist: the batch asks once, before writing, listing ten of
// them; "No" writes nothing over them and names each source left out,
// "Yes" replaces them and says what was written, "Cancel" does nothing.
TEST(BatchReport, AsksOnceBeforeReplacingGifsThatExist)
{
    std::vector<std::string> bitmaps, gifs;
    for (int i = 0; i < 12; ++i) {
        bitmaps.push_back(WriteBitmap("exists" + std::to_string(i + 10) + ".bmp", 2, 2, 8));
        gifs.push_back(Work("exists" + std::to_string(i + 10) + ".gif"));
    }
    std::string question = "12 files already exist:";
    for (int i = 0; i < 10; ++i)
        question += "\n" + gifs[i];
    question += "\n... and 2 more.\n\nReplace them?\nNo leaves them as they are and writes the rest.";
    std::string leftOut = "These files were left out:";
    for (int i = 0; i < 10; ++i)
        leftOut += "\n" + bitmaps[i] + ": would replace " + gifs[i] + ", which exists already";
    leftOut += "\n... and 2 more.";
    struct Case
    {
        int nAnswer;
        std::vector<std::string> messages;
        bool bReplaced;
    };
    const Case cases[] = {{IDNO, {question, leftOut}, false}, {IDCANCEL, {question}, false}, {IDYES, {question}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nAnswer);
        for (const std::string& gif : gifs)
            testsupport::WriteFileBytes(gif, "earlier", 7);
        LoadProject(bitmaps);
        Frame()->SetMessageText("Ready");
        App().m_nAnswer = c.nAnswer;
        RunCommand(ID_ACTION_BATCH, "Convert all files", {Press(IDOK)});
        App().m_nAnswer = IDNO;
        EXPECT_EQ(c.messages, App().m_messages);
        for (const std::string& gif : gifs)
            EXPECT_EQ(c.bReplaced, testsupport::ReadFileBytes(gif).size() != 7u) << gif;
        if (c.bReplaced) {
            size_t nBytes = 0;
            for (const std::string& gif : gifs)
                nBytes += testsupport::ReadFileBytes(gif).size();
            char size[32];
            std::snprintf(size, sizeof size, "%.1f KB", nBytes / 1024.0);
            EXPECT_EQ("12 files written, 12 frames, " + std::string(size) + " in all", StatusText());
        } else {
            EXPECT_EQ("Ready", StatusText()) << "nothing written, nothing told";
        }
    }
}

// Two sources of one GIF name: the first one's GIF stays, the second is
// named as left out with the file it would have replaced.
TEST(BatchReport, TheLaterOfTwoSourcesOfOneNameIsLeftOut)
{
    ResetProject();
    const std::string first = WriteBitmap("twice.bmp", 4, 4, 8), second = WriteBitmap("twice.dib", 6, 2, 8);
    const std::string gif = Work("twice.gif");
    ::DeleteFileA(gif.c_str());
    Doc()->AddFile(first.c_str());
    Doc()->AddFile(second.c_str());
    App().m_messages.clear();
    RunCommand(ID_ACTION_BATCH, "Convert all files", {Press(IDOK)});
    EXPECT_EQ(std::vector<std::string>{"These files were left out:\n" + second + ": would replace " + gif
                                       + ", written for another file in this run"},
              App().m_messages);
    const std::vector<BYTE> bytes = testsupport::ReadFileBytes(gif);
    ASSERT_GT(bytes.size(), 10u);
    EXPECT_EQ(0, memcmp(bytes.data(), "GIF89a\x04\x00\x04\x00", 10)) << "the first source's picture";
    Doc()->SetModifiedFlag(FALSE);
}

// A batch whose every file fails: no message while it runs (Cancel stays
// reachable), one report at the end naming each file with its reason.
TEST(BatchReport, WriteFailuresComeInOneReportAtTheEnd)
{
    std::vector<std::string> bitmaps;
    std::string expected = "These files could not be written:";
    for (int i = 0; i < 3; ++i) {
        bitmaps.push_back(WriteBitmap("blocked" + std::to_string(i) + ".bmp", 2, 2, 8));
        testsupport::CreateDirectories(Work("blocked" + std::to_string(i) + ".gif"));
        expected += "\n" + Work("blocked" + std::to_string(i) + ".gif") + ": Unable to Open File (a folder has that name)";
    }
    LoadProject(bitmaps);
    bool bDuringExport = true;
    App().m_onMessage = [&]() { bDuringExport = Doc()->IsExportRunning() != FALSE; };
    RunCommand(ID_ACTION_BATCH, "Convert all files", {Press(IDOK)});
    EXPECT_FALSE(bDuringExport) << "the first message came after the export";
    EXPECT_EQ(std::vector<std::string>{expected}, App().m_messages);
}

// Names with nothing before their ".gif" are refused and the dialog stays
// for another; nothing is written.
TEST(ConvertDialogNames, EmptyOrOnlyDotsAndSpacesAreRefused)
{
    LoadProject({WriteBitmap("named.bmp", 4, 4, 8)});
    for (const std::string& name : {std::string(), std::string("   "), std::string(".gif"), std::string("   .gif"),
                                    Work(".gif")}) {
        SCOPED_TRACE("[" + name + "]");
        std::string after;
        App().m_messages.clear();
        RunCommand(ID_ACTION_CREATE, "Convert to GIF",
                   {SetText(IDC_FILENAME, name), Press(IDOK), [&](HWND hDlg) { after = Text(hDlg, IDC_FILENAME); },
                    Press(IDCANCEL)});
        EXPECT_EQ(std::vector<std::string>{"The output file needs a name before its .gif."
                                           + (name.empty() ? std::string() : "\n" + name)},
                  App().m_messages);
        EXPECT_EQ(name, after) << "the dialog stayed with the name";
    }
    EXPECT_FALSE(testsupport::FileExists(Work(".gif")));
}

// A project saved under a .gif name is no output of its own, whatever
// spelling of its name is typed; what was written is told in the status bar.
TEST(ConvertDialogNames, TheProjectFileIsNoOutputAndSuccessIsTold)
{
    LoadProject({WriteBitmap("told.bmp", 6, 4, 8)});
    testsupport::CreateDirectories(Work("sub"));
    const std::string project = Work("project as gif.gif");
    ASSERT_TRUE(Doc()->DoSave(project.c_str()));
    const std::vector<BYTE> saved = testsupport::ReadFileBytes(project);
    char szShort[MAX_PATH] = "";
    ASSERT_GT(::GetShortPathNameA(project.c_str(), szShort, sizeof szShort), 0u);
    std::string slashes = project;
    for (char& c : slashes)
        c = c == '\\' ? '/' : c;
    for (const std::string& output : {Work("PROJECT AS GIF.GIF"), Work("sub\\..\\project as gif.gif"),
                                      std::string(szShort), slashes}) {
        SCOPED_TRACE(output);
        App().m_messages.clear();
        App().m_nAnswer = IDYES;        // "already exists: replace it?"
        RunCommand(ID_ACTION_CREATE, "Convert to GIF", {SetText(IDC_FILENAME, output), Press(IDOK)});
        App().m_nAnswer = IDNO;
        ASSERT_EQ(2u, App().m_messages.size());
        EXPECT_EQ(0u, App().m_messages[1].find("The output file is one of the project's own files.\n"));
        EXPECT_EQ(saved, testsupport::ReadFileBytes(project));
    }
    const std::string output = Work("told.gif");
    ::DeleteFileA(output.c_str());
    App().m_messages.clear();
    RunCommand(ID_ACTION_CREATE, "Convert to GIF", {SetText(IDC_FILENAME, output), Press(IDOK)});
    EXPECT_TRUE(App().m_messages.empty());
    EXPECT_EQ(output + ": written, 1 frame, " + SizeText(output), StatusText());
    Doc()->SetModifiedFlag(FALSE);
}

// A dropped file of no kind the project takes is named, with the others added.
TEST(DropReport, FilesOfNoKnownKindAreNamed)
{
    ResetProject();
    View()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\a\\logo.bmp", "C:\\a\\readme.txt"})));
    Pump();
    EXPECT_EQ(std::vector<std::string>{"These files cannot be added:\nC:\\a\\readme.txt: neither a bitmap nor a movie "
                                       "that AVIFile can read"},
              App().m_messages);
    EXPECT_EQ("Sequence :  [1]\n  Image : C:\\a\\logo.bmp [2]\n", TreeText(View()->GetTreeCtrl()));
    Doc()->SetModifiedFlag(FALSE);
}

// The session ends as closing the window would: after the save prompt.
TEST(Session, EndsOnlyAsClosingWould)
{
    ResetProject();
    EXPECT_NE(0, Frame()->SendMessage(WM_QUERYENDSESSION, 0, 0)) << "nothing to save";
    Doc()->SetModifiedFlag(TRUE);
    App().m_nAnswer = IDCANCEL;
    EXPECT_EQ(0, Frame()->SendMessage(WM_QUERYENDSESSION, 0, 0)) << "the user cancelled at the prompt";
    App().m_nAnswer = IDNO;
    ASSERT_EQ(1u, App().m_messages.size());
    EXPECT_NE(std::string::npos, App().m_messages[0].find("Save changes"));
    Doc()->SetModifiedFlag(FALSE);
}

namespace {

// The message box of this thread up now: its frame and its text, then OK.
RECT g_rcBox;
std::string g_boxText;

VOID CALLBACK ReadAndCloseBox(HWND, UINT, UINT_PTR idEvent, DWORD)
{
    HWND hBox = ::FindWindowA("#32770", static_cast<LPCSTR>(App().m_strAppName));
    if (hBox == nullptr)
        return;
    ::KillTimer(nullptr, idEvent);
    ::GetWindowRect(hBox, &g_rcBox);
    char text[2048] = "";
    ::GetDlgItemTextA(hBox, 0xFFFF, text, sizeof text);
    g_boxText = text;
    ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
}

} // namespace

// A path of more than 328 characters: the real box wraps it at its
// folders, keeps the file name whole and every character, and stays on the
// screen.
TEST(MessageBoxes, LongPathsWrapAndStayOnTheScreen)
{
    std::string path = "C:\\";
    while (path.size() < 290)
        path += "a_folder_of_many_pictures_" + std::to_string(path.size()) + "\\";
    // Wider alone than half the screen, where the folders break.
    const std::string name = "the_final_picture_of_the_long_summer_holiday_by_the_sea"
                             "_with_the_whole_family_and_all_our_friends_0042.gif";
    path += name;
    ASSERT_GE(path.size(), 328u);
    const std::string text = "Unable to Open File\n" + path;
    g_boxText.clear();
    ::SetTimer(nullptr, 0, 50, ReadAndCloseBox);
    App().CWinApp::DoMessageBox(text.c_str(), MB_OK, 0);
    ASSERT_FALSE(g_boxText.empty()) << "no box seen";
    const int cxScreen = ::GetSystemMetrics(SM_CXSCREEN), cyScreen = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_GE(g_rcBox.left, 0);
    EXPECT_GE(g_rcBox.top, 0);
    EXPECT_LE(g_rcBox.right, cxScreen);
    EXPECT_LE(g_rcBox.bottom, cyScreen);
    std::string joined;
    for (char c : g_boxText)
        if (c != '\n' && c != '\r')
            joined += c;
    EXPECT_EQ("Unable to Open File" + path, joined) << "every character, in order";
    EXPECT_NE(std::string::npos, g_boxText.find("\\\n")) << "broken after a folder";
    EXPECT_NE(std::string::npos, g_boxText.find("\n" + name)) << "the file name whole on its line";
}
