// The export commands on screen: their enabled state, the two modal dialogs
// driven by a thread timer while they run (presets, refusals, Cancel, OK
// storing the choices), the progress window, and a picture of each saved
// under the build tree.
#include "DialogScript.h"
#include "ShellHarness.h"

#include "AfxRes.h"
#include "MessageBox.h"
#include "ProgressDlg.h"
#include "resource.h"

#include "BmpBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace dialogscript;

namespace {

BOOL CALLBACK CountDialog(HWND hWnd, LPARAM lParam)
{
    char szClass[16] = "";
    ::GetClassNameA(hWnd, szClass, sizeof szClass);
    if (strcmp(szClass, "#32770") == 0)
        ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

// The dialog windows of this thread.
int CountDialogs()
{
    int nCount = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountDialog, reinterpret_cast<LPARAM>(&nCount));
    return nCount;
}

// A new project of one bitmap, dropped on the view, unmodified.
void LoadProjectOfOneBitmap(const std::string& name, LONG width, LONG height, WORD bitCount)
{
    ResetProject();
    const std::string path = WriteBitmap(name, width, height, bitCount);
    View()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({path})));
    Pump();
    Doc()->SetModifiedFlag(FALSE);      // so that the commands are seen not to set it
    App().m_messages.clear();
}

// A project whose only picture is gone: the commands run to their end
// without writing anything.
void LoadProjectWithoutValidImages()
{
    ResetProject();
    const std::string path = testsupport::WorkPath("gone.bmp");
    ::DeleteFileA(path.c_str());
    View()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({path})));
    Pump();
    Doc()->SetModifiedFlag(FALSE);
    App().m_messages.clear();
}

std::string RangeMessage(const char* min, const char* max)
{
    return static_cast<LPCSTR>(AfxFormatString2(AFX_IDP_PARSE_INT_RANGE, min, max));
}

} // namespace

TEST(ExportCommands, EnabledOnlyWithTopLevelItems)
{
    ResetProject();
    EXPECT_FALSE(MenuItemEnabled(ID_ACTION_CREATE));
    EXPECT_FALSE(MenuItemEnabled(ID_ACTION_BATCH));
    LoadProjectWithoutValidImages();
    EXPECT_TRUE(MenuItemEnabled(ID_ACTION_CREATE));
    EXPECT_TRUE(MenuItemEnabled(ID_ACTION_BATCH));
}

TEST(ConvertDialog, PresetsAndCancelStoresNothing)
{
    LoadProjectWithoutValidImages();
    cGifOptions& options = Doc()->m_options;
    options.m_strOutput = "C:\\out\\walk.gif";
    options.m_nFrameRate = 7;
    options.m_nLoopCount = 0xFFFF;      // -1 as stored
    options.m_nTransparency = 2;
    std::vector<std::string> seen;
    size_t nColours = 0;
    RunCommand(ID_ACTION_CREATE, "Convert to GIF",
               {[&](HWND hDlg) {
                    seen = {Text(hDlg, IDC_FILENAME), Text(hDlg, IDC_FRAMERATE), Text(hDlg, IDC_LOOPCOUNT),
                            std::to_string(::IsDlgButtonChecked(hDlg, IDC_TRANSPARENCY_EACH))};
                    nColours = SaveWindowPicture(hDlg, "shot_convert.bmp");
                },
                SetText(IDC_FILENAME, "C:\\other.gif"), SetText(IDC_FRAMERATE, "9"), Click(IDC_TRANSPARENCY_NONE),
                Press(IDCANCEL)});
    // A stored 0xFFFF comes back as -1, which the dialog accepts.
    EXPECT_EQ((std::vector<std::string>{"C:\\out\\walk.gif", "7", "-1", "1"}), seen);
    EXPECT_GT(nColours, 2u) << "the picture of the dialog is not blank";
    EXPECT_STREQ("C:\\out\\walk.gif", options.m_strOutput);
    EXPECT_EQ(7, options.m_nFrameRate);
    EXPECT_EQ(0xFFFF, options.m_nLoopCount);
    EXPECT_EQ(2, options.m_nTransparency);
    EXPECT_TRUE(App().m_messages.empty());
    EXPECT_FALSE(Doc()->IsModified());
}

TEST(ConvertDialog, RefusesOutOfRangeValuesThenStoresTheChoices)
{
    LoadProjectWithoutValidImages();
    const std::string output = testsupport::WorkPath("never.gif");
    ::DeleteFileA(output.c_str());
    RunCommand(ID_ACTION_CREATE, "Convert to GIF",
               {SetText(IDC_FILENAME, output), SetText(IDC_FRAMERATE, "0"), Press(IDOK),
                SetText(IDC_FRAMERATE, "101"), Press(IDOK),
                // Browse checks the fields first and opens no file dialog.
                Press(IDC_BROWSE),
                SetText(IDC_FRAMERATE, "100"), SetText(IDC_LOOPCOUNT, "32001"), Press(IDOK),
                SetText(IDC_LOOPCOUNT, "-1"), Click(IDC_TRANSPARENCY_FIRST), Press(IDOK)});
    // "No valid images" names the output and the files that gave none.
    const std::vector<std::string> expected = {RangeMessage("1", "100"), RangeMessage("1", "100"),
                                               RangeMessage("1", "100"), RangeMessage("-1", "32000"),
                                               "No valid images\n" + output + "\n\nThese files were left out:\n"
                                                   + testsupport::WorkPath("gone.bmp") + ": could not be read"};
    EXPECT_EQ(expected, App().m_messages);
    const cGifOptions& options = Doc()->m_options;
    EXPECT_EQ(output, static_cast<LPCSTR>(options.m_strOutput));
    EXPECT_EQ(100, options.m_nFrameRate);
    EXPECT_EQ(0xFFFF, options.m_nLoopCount);
    EXPECT_EQ(1, options.m_nTransparency);
    EXPECT_FALSE(testsupport::FileExists(output)) << "nothing valid to write";
    EXPECT_FALSE(Doc()->IsModified());
}

// Steps that act on another window than the script's dialog.
Step OnWindow(const char* caption, std::function<void(HWND)> action)
{
    return [=](HWND hDlg) {
        HWND hOther = ::FindWindowA("#32770", caption);
        action(hOther != nullptr ? hOther : hDlg);
    };
}

// The name box of the file dialog: an edit in the old layout, a combo box
// in the explorer one.
Step TypeInSaveAs(const std::string& name)
{
    return OnWindow("Save As", [=](HWND hFile) {
        ::SetDlgItemTextA(hFile, 0x480, name.c_str());
        ::SetDlgItemTextA(hFile, 0x47C, name.c_str());
    });
}

// Posted: the file dialog may open a message box of its own in answer.
Step PostToSaveAs(UINT nID)
{
    return OnWindow("Save As", [=](HWND hFile) { ::PostMessageA(hFile, WM_COMMAND, nID, 0); });
}

TEST(ConvertDialog, BrowseAddsTheDefaultExtension)
{
    LoadProjectWithoutValidImages();
    const std::string chosen = testsupport::WorkPath("chosen");
    std::string seen;
    HWND hOwner = nullptr, hConvert = nullptr;
    BOOL bMainEnabledAfter = TRUE;
    RunCommand(ID_ACTION_CREATE, "Convert to GIF",
               {// Posted: the file dialog runs its own loop, in which the timer goes on.
                [](HWND hDlg) { ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED), 0); },
                [](HWND) {},
                OnWindow("Save As", [&](HWND hFile) { hOwner = ::GetWindow(hFile, GW_OWNER); }),
                TypeInSaveAs(chosen), PostToSaveAs(IDOK),
                [](HWND) {},
                [&](HWND hDlg) {
                    hConvert = hDlg;
                    seen = Text(hDlg, IDC_FILENAME);
                    // Closing the file dialog gave the input back to its owner only.
                    bMainEnabledAfter = ::IsWindowEnabled(Frame()->m_hWnd);
                },
                Press(IDCANCEL)});
    EXPECT_EQ(chosen + ".gif", seen);
    EXPECT_EQ(hConvert, hOwner) << "the file dialog belongs to the dialog that opened it";
    EXPECT_FALSE(bMainEnabledAfter) << "the main window stays disabled under the modal dialog";
    EXPECT_TRUE(App().m_messages.empty());
}

// A message box of this thread whose text has the given words; null when none is up.
struct QuestionSearch
{
    const char* words;
    HWND found;
};

// A CALLBACK function, not a lambda: on i686 a lambda converts only to a cdecl pointer.
BOOL CALLBACK MatchQuestion(HWND hWnd, LPARAM lParam)
{
    QuestionSearch& s = *reinterpret_cast<QuestionSearch*>(lParam);
    char className[16] = "";
    ::GetClassNameA(hWnd, className, sizeof className);
    if (std::string(className) != "#32770" || !::IsWindowVisible(hWnd))
        return TRUE;
    char text[512] = "";
    ::GetDlgItemTextA(hWnd, 0xFFFF, text, sizeof text);     // a message box's text
    if (std::string(text).find(s.words) == std::string::npos)
        return TRUE;
    s.found = hWnd;
    return FALSE;
}

HWND FindQuestion(const char* words)
{
    QuestionSearch search = {words, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), MatchQuestion, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(ConvertDialog, BrowseAsksBeforeTakingAFileThatExists)
{
    LoadProjectWithoutValidImages();
    const std::string existing = testsupport::WorkPath("existing.gif");
    testsupport::WriteFileBytes(existing, "GIF89a", 6);
    bool asked = false;
    std::string before, seen;
    RunCommand(ID_ACTION_CREATE, "Convert to GIF",
               {[&](HWND hDlg) {
                    before = Text(hDlg, IDC_FILENAME);
                    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED), 0);
                },
                [](HWND) {},
                TypeInSaveAs(existing), PostToSaveAs(IDOK),
                [](HWND) {},
                [&](HWND) {
                    // "No": the file dialog stays up for another name.
                    if (HWND hQuestion = FindQuestion("exists")) {
                        asked = true;
                        ::PostMessageA(hQuestion, WM_COMMAND, IDNO, 0);
                    }
                },
                [](HWND) {},
                PostToSaveAs(IDCANCEL),
                [](HWND) {},
                [&](HWND hDlg) { seen = Text(hDlg, IDC_FILENAME); },
                Press(IDCANCEL)});
    EXPECT_TRUE(asked) << "no question before replacing " << existing;
    EXPECT_EQ(before, seen) << "the name refused stays out of the dialog";
    EXPECT_EQ(6u, testsupport::ReadFileBytes(existing).size());
}

TEST(ConvertDialog, TheProjectFileIsNoOutput)
{
    LoadProjectOfOneBitmap("own8.bmp", 6, 4, 8);
    const std::string project = testsupport::WorkPath("own.seq");
    ASSERT_TRUE(Doc()->DoSave(project.c_str()));
    const std::vector<BYTE> saved = testsupport::ReadFileBytes(project);
    App().m_messages.clear();
    RunCommand(ID_ACTION_CREATE, "Convert to GIF", {SetText(IDC_FILENAME, project), Press(IDOK)});
    EXPECT_EQ(std::vector<std::string>{"The output file name must end in .gif.\n" + project}, App().m_messages);
    EXPECT_EQ(saved, testsupport::ReadFileBytes(project));
}

TEST(ConvertDialog, OkWritesTheAnimationThroughTheHandler)
{
    LoadProjectOfOneBitmap("still8.bmp", 6, 4, 8);
    const std::string output = testsupport::WorkPath("from the view.gif");
    ::DeleteFileA(output.c_str());
    RunCommand(ID_ACTION_CREATE, "Convert to GIF", {SetText(IDC_FILENAME, output), Press(IDOK)});
    EXPECT_TRUE(App().m_messages.empty());
    const std::vector<BYTE> bytes = testsupport::ReadFileBytes(output);
    ASSERT_GT(bytes.size(), 13u);
    EXPECT_EQ(0, memcmp(bytes.data(), "GIF89a\x06\x00\x04\x00", 10)) << "the picture's size as the screen";
    EXPECT_EQ(0x3B, bytes.back()) << "finished: the stream and the file were released";
    EXPECT_EQ(0, CountDialogs()) << "the progress window is gone";
}

TEST(BatchConvertDialog, PresetsCancelAndOk)
{
    LoadProjectWithoutValidImages();
    cGifOptions& options = Doc()->m_options;
    options.m_bExpand = 1;
    options.m_nTransparency = 2;
    std::vector<UINT> seen;
    size_t nColours = 0;
    RunCommand(ID_ACTION_BATCH, "Convert all files",
               {[&](HWND hDlg) {
                    // Index 2 is the third button in the template, 1011.
                    seen = {::IsDlgButtonChecked(hDlg, IDC_EXPAND), ::IsDlgButtonChecked(hDlg, IDC_BATCH_TRANSPARENCY_EACH),
                            ::IsDlgButtonChecked(hDlg, IDC_BATCH_TRANSPARENCY_NONE)};
                    nColours = SaveWindowPicture(hDlg, "shot_batchconvert.bmp");
                },
                Click(IDC_EXPAND), Click(IDC_BATCH_TRANSPARENCY_NONE), Press(IDCANCEL)});
    EXPECT_EQ((std::vector<UINT>{BST_CHECKED, BST_CHECKED, BST_UNCHECKED}), seen);
    EXPECT_GT(nColours, 2u);
    EXPECT_EQ(1, options.m_bExpand);
    EXPECT_EQ(2, options.m_nTransparency);

    RunCommand(ID_ACTION_BATCH, "Convert all files",
               {Click(IDC_EXPAND), Click(IDC_BATCH_TRANSPARENCY_FIRST), Press(IDOK)});
    EXPECT_EQ(0, options.m_bExpand);
    EXPECT_EQ(1, options.m_nTransparency);
    // The missing picture makes no file, and the user is told.
    EXPECT_EQ(std::vector<std::string>{"These files were left out:\n" + testsupport::WorkPath("gone.bmp")
                                       + ": could not be read"},
              App().m_messages);
    EXPECT_FALSE(testsupport::FileExists(testsupport::WorkPath("gone.gif")));
    EXPECT_FALSE(Doc()->IsModified());
}

TEST(ProgressWindow, StatusRangeAndSteps)
{
    ResetProject();
    CProgressDlg progress(View());
    progress.SetStatus("before");                 // no window yet: only stored
    EXPECT_STREQ("before", progress.m_strStatus);
    progress.Show();
    ASSERT_TRUE(::IsWindow(progress.m_hWnd));
    EXPECT_TRUE(progress.IsWindowVisible());
    EXPECT_EQ("before", Text(progress.m_hWnd, IDC_STATUS)) << "the template's text is replaced";

    struct RangeCase { int nMax; int nUpper; };
    const RangeCase ranges[] = {{200, 200}, {65537, 1}, {3, 3}};
    for (const RangeCase& r : ranges) {
        progress.SetRange(r.nMax);
        int nLower = -1, nUpper = -1;
        progress.m_progress.GetRange(nLower, nUpper);
        EXPECT_EQ(0, nLower) << r.nMax;
        EXPECT_EQ(r.nUpper, nUpper) << r.nMax;
    }
    progress.m_progress.SetPos(0);
    progress.StepIt();
    progress.StepIt();
    EXPECT_EQ(2, progress.m_progress.GetPos()) << "a step of 1";
    progress.SetStatus("Writing image C:\\pics\\walk.bmp");
    EXPECT_EQ("Writing image C:\\pics\\walk.bmp", Text(progress.m_hWnd, IDC_STATUS));
    EXPECT_GT(SaveWindowPicture(progress.m_hWnd, "shot_progress.bmp"), 2u);

    progress.Hide();
    EXPECT_EQ(nullptr, progress.m_hWnd);
    progress.SetStatus("after");
    EXPECT_STREQ("after", progress.m_strStatus);
    // Failures wait for the report at the end: no box buries Cancel.
    progress.ReportFailure("Unable to Open File", "C:\\x.gif", "Access denied.");
    EXPECT_TRUE(App().m_messages.empty());
    CProgressDlg::ShowReport(progress.GetReport());
    EXPECT_EQ(std::vector<std::string>{"Unable to Open File\nC:\\x.gif\nAccess denied."}, App().m_messages)
        << "the file and the reason on lines of their own";
}

// A path too long for the status line loses whole folders from its middle;
// the start of the line and the file name stay.
TEST(ProgressWindow, LongPathsLoseFoldersNotCharacters)
{
    ResetProject();
    CProgressDlg progress(View());
    progress.Show();
    const std::string path = "Writing image C:\\pictures of the summer\\a folder with a long name\\"
                             "another folder with a longer name\\and one more folder\\walk001.bmp";
    progress.SetStatus(path.c_str());
    const std::string shown = Text(progress.m_hWnd, IDC_STATUS);
    EXPECT_EQ(path, static_cast<LPCSTR>(progress.m_strStatus)) << "the whole text is kept";
    EXPECT_EQ(0u, shown.find("Writing image C:\\...\\")) << shown;
    EXPECT_EQ(shown.size() - 12, shown.find("\\walk001.bmp")) << shown;
    // What is left of the path is a tail of whole folders.
    EXPECT_NE(std::string::npos, path.find(shown.substr(std::string("Writing image C:\\...").size()))) << shown;
    progress.SetStatus("Writing image C:\\short\\a.bmp");
    EXPECT_EQ("Writing image C:\\short\\a.bmp", Text(progress.m_hWnd, IDC_STATUS));
    // A name too long even alone gives up its start: the frame number stays.
    const std::string longName = "Writing image C:\\pictures\\summer\\beach\\" + std::string(120, 'w') + "_frame_0042.bmp";
    progress.SetStatus(longName.c_str());
    const std::string shownName = Text(progress.m_hWnd, IDC_STATUS);
    EXPECT_EQ(0u, shownName.find("Writing image C:\\...\\...")) << shownName;
    EXPECT_EQ(shownName.size() - 15, shownName.find("_frame_0042.bmp")) << shownName;
    EXPECT_LT(shownName.size(), longName.size());
    progress.Hide();
}

// Cancel, or Esc, asks the export to stop; the window stays up until the
// export has, and the main window takes input again only then.
TEST(ProgressWindow, CancelAndEscapeAskTheExportToStop)
{
    ResetProject();
    for (bool bEscape : {false, true}) {
        SCOPED_TRACE(bEscape ? "Esc" : "Cancel");
        CProgressDlg progress(View());
        progress.Show();
        EXPECT_FALSE(::IsWindowEnabled(Frame()->m_hWnd)) << "input goes to the progress window alone";
        EXPECT_FALSE(progress.IsCancelled());
        HWND hCancel = ::GetDlgItem(progress.m_hWnd, IDCANCEL);
        ASSERT_NE(nullptr, hCancel);
        if (bEscape)
            ::PostMessageA(hCancel, WM_KEYDOWN, VK_ESCAPE, 0);
        else
            ::PostMessageA(progress.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                           reinterpret_cast<LPARAM>(hCancel));
        EXPECT_TRUE(progress.IsCancelled());
        EXPECT_TRUE(::IsWindow(progress.m_hWnd)) << "up until the export has stopped";
        progress.Hide();
        EXPECT_TRUE(::IsWindowEnabled(Frame()->m_hWnd));
    }
}

// Whatever a user does while an export runs (here while it asks about the
// files that exist: a drop, New, Open, Exit, closing the window, ending the
// session), the tree the export walks stays as it is, and the export goes
// on to its end.
TEST(ExportCommands, TheProjectStaysPutWhileAnExportRuns)
{
    ResetProject();
    const std::string first = WriteBitmap("busy_a.bmp", 4, 4, 8), second = WriteBitmap("busy_b.bmp", 5, 3, 8);
    const std::string blocked = testsupport::WorkPath("busy_a.gif"), written = testsupport::WorkPath("busy_b.gif");
    testsupport::CreateDirectories(blocked);     // a folder where the first output goes: it fails
    testsupport::WriteFileBytes(written, "earlier", 7);     // the batch asks about it, replaced at "Yes"
    const std::string project = testsupport::WorkPath("busy.seq");
    View()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({first, second})));
    Pump();
    ASSERT_TRUE(Doc()->DoSave(project.c_str()));
    const std::string tree = TreeText(View()->GetTreeCtrl());
    App().m_messages.clear();

    std::vector<bool> enabled;
    std::string treeDuring;
    LRESULT nEndSession = -1;
    App().m_onMessage = [&]() {
        for (UINT nID : {UINT(ID_FILE_NEW), UINT(ID_FILE_OPEN), UINT(ID_FILE_IMPORT), UINT(ID_APP_EXIT),
                         UINT(ID_ACTION_CREATE), UINT(ID_ACTION_BATCH), UINT(ID_EDIT_DELETE)})
            enabled.push_back(MenuItemEnabled(nID));
        View()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({project})));
        View()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({second})));
        Frame()->SendMessage(WM_COMMAND, ID_FILE_NEW);
        Frame()->SendMessage(WM_COMMAND, ID_APP_EXIT);
        Frame()->SendMessage(WM_CLOSE);
        nEndSession = Frame()->SendMessage(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        treeDuring = TreeText(View()->GetTreeCtrl());
    };
    Doc()->SetModifiedFlag(TRUE);       // so that a New or Open would ask, and go on at "No"
    App().m_nAnswer = IDYES;
    RunCommand(ID_ACTION_BATCH, "Convert all files", {Press(IDOK)});
    App().m_nAnswer = IDNO;
    ASSERT_FALSE(App().m_onMessage) << "the question was asked";
    EXPECT_EQ(std::vector<bool>(7, false), enabled) << "New, Open, Import, Exit, the exports and Delete";
    EXPECT_EQ(0, nEndSession) << "the session does not end under an export";
    EXPECT_EQ(tree, treeDuring);
    EXPECT_EQ(tree, TreeText(View()->GetTreeCtrl()));
    EXPECT_TRUE(::IsWindow(Frame()->m_hWnd)) << "the window was not closed under the export";
    ASSERT_EQ(2u, App().m_messages.size()) << "the question, then the report";
    EXPECT_EQ("Unable to Open File\n" + blocked + "\na folder has that name", App().m_messages[1]);
    EXPECT_NE(7u, testsupport::ReadFileBytes(written).size()) << "the batch went on after the failure";
    EXPECT_TRUE(MenuItemEnabled(ID_FILE_NEW)) << "and everything is back after it";
    Doc()->SetModifiedFlag(FALSE);
    EXPECT_NE(0, Frame()->SendMessage(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF)) << "nothing to keep it now";
}

// A typed output name gets ".gif" when it has no extension, is refused with
// another one, and replaces an existing file only when the user says so.
TEST(ConvertDialog, TypedNamesAreGifsAndExistingFilesAreAskedAbout)
{
    LoadProjectOfOneBitmap("typed8.bmp", 6, 4, 8);
    const std::string bare = testsupport::WorkPath("typed_out"), document = testsupport::WorkPath("important.doc");
    ::DeleteFileA((bare + ".gif").c_str());
    testsupport::WriteFileBytes(document, "keep me", 7);
    RunCommand(ID_ACTION_CREATE, "Convert to GIF", {SetText(IDC_FILENAME, document), Press(IDOK), Press(IDCANCEL)});
    EXPECT_EQ(std::vector<std::string>{"The output file name must end in .gif.\n" + document}, App().m_messages);
    EXPECT_EQ(7u, testsupport::ReadFileBytes(document).size());

    App().m_messages.clear();
    RunCommand(ID_ACTION_CREATE, "Convert to GIF", {SetText(IDC_FILENAME, bare), Press(IDOK)});
    EXPECT_TRUE(App().m_messages.empty());
    EXPECT_EQ(bare + ".gif", static_cast<LPCSTR>(Doc()->m_options.m_strOutput));
    const std::vector<BYTE> first = testsupport::ReadFileBytes(bare + ".gif");
    ASSERT_GT(first.size(), 13u);

    // It exists now: "No" keeps the dialog and the file, "Yes" writes.
    testsupport::WriteFileBytes(bare + ".gif", "earlier", 7);
    std::string nameAfterNo;
    RunCommand(ID_ACTION_CREATE, "Convert to GIF",
               {SetText(IDC_FILENAME, bare + ".gif"), Press(IDOK),
                [&](HWND hDlg) { nameAfterNo = Text(hDlg, IDC_FILENAME); }, Press(IDCANCEL)});
    ASSERT_EQ(1u, App().m_messages.size());
    EXPECT_EQ(bare + ".gif already exists.\nDo you want to replace it?", App().m_messages[0]);
    EXPECT_EQ(bare + ".gif", nameAfterNo) << "the dialog stayed for another name";
    EXPECT_EQ(7u, testsupport::ReadFileBytes(bare + ".gif").size());
    App().m_messages.clear();
    App().m_nAnswer = IDYES;
    RunCommand(ID_ACTION_CREATE, "Convert to GIF", {SetText(IDC_FILENAME, bare + ".gif"), Press(IDOK)});
    App().m_nAnswer = IDNO;
    EXPECT_EQ(1u, App().m_messages.size());
    EXPECT_EQ(first, testsupport::ReadFileBytes(bare + ".gif"));
}

// Sources that could not be used are named after the export, in one
// message: ten of them, and how many more.
TEST(ConvertDialog, LeftOutFilesAreListedInOneMessage)
{
    ResetProject();
    std::vector<std::string> paths = {WriteBitmap("listed8.bmp", 4, 4, 8), WriteBitmap("listed24.bmp", 4, 4, 24)};
    for (int i = 0; i < 11; ++i)
        paths.push_back(testsupport::WorkPath("gone" + std::to_string(i) + ".bmp"));
    View()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)));
    Pump();
    App().m_messages.clear();
    const std::string output = testsupport::WorkPath("listed.gif");
    ::DeleteFileA(output.c_str());
    RunCommand(ID_ACTION_CREATE, "Convert to GIF", {SetText(IDC_FILENAME, output), Press(IDOK)});
    // The true-colour picture is written with the rest.
    std::string expected = "These files were left out:";
    for (int i = 0; i < 10; ++i)
        expected += "\n" + paths[2 + i] + ": could not be read";
    expected += "\n... and 1 more.";
    EXPECT_EQ(std::vector<std::string>{expected}, App().m_messages);
    EXPECT_TRUE(testsupport::FileExists(output)) << "what could be written was";
    Doc()->SetModifiedFlag(FALSE);
}
