// The framework's standard command, window and string identifiers, shared by
// its C++ code and the program's resource script (so plain #defines only).
#pragma once

// Strings the framework reads from the program: the application title (the
// caption of every message box) and the idle text of the status bar.
#define AFX_IDS_APP_TITLE               0xE000  // 57344
#define AFX_IDS_IDLEMESSAGE             0xE001  // 57345

// File commands. The recent-file entries are consecutive: entry n of the list
// is ID_FILE_MRU_FILE1 + n.
#define ID_FILE_NEW                     0xE100  // 57600
#define ID_FILE_OPEN                    0xE101
#define ID_FILE_CLOSE                   0xE102
#define ID_FILE_SAVE                    0xE103
#define ID_FILE_SAVE_AS                 0xE104
#define ID_FILE_MRU_FILE1               0xE110  // 57616
#define ID_FILE_MRU_FILE2               0xE111
#define ID_FILE_MRU_FILE3               0xE112
#define ID_FILE_MRU_FILE4               0xE113
#define ID_FILE_MRU_FILE5               0xE114
#define ID_FILE_MRU_FILE6               0xE115
#define ID_FILE_MRU_FILE7               0xE116
#define ID_FILE_MRU_FILE8               0xE117
#define ID_FILE_MRU_FILE9               0xE118
#define ID_FILE_MRU_FILE10              0xE119
#define ID_FILE_MRU_FILE11              0xE11A
#define ID_FILE_MRU_FILE12              0xE11B
#define ID_FILE_MRU_FILE13              0xE11C
#define ID_FILE_MRU_FILE14              0xE11D
#define ID_FILE_MRU_FILE15              0xE11E
#define ID_FILE_MRU_FILE16              0xE11F  // 57631

// Edit commands.
#define ID_EDIT_CLEAR                   0xE120  // 57632
#define ID_EDIT_CLEAR_ALL               0xE121
#define ID_EDIT_COPY                    0xE122
#define ID_EDIT_CUT                     0xE123
#define ID_EDIT_FIND                    0xE124
#define ID_EDIT_PASTE                   0xE125
#define ID_EDIT_REPEAT                  0xE128  // 57640
#define ID_EDIT_REPLACE                 0xE129
#define ID_EDIT_SELECT_ALL              0xE12A
#define ID_EDIT_UNDO                    0xE12B
#define ID_EDIT_REDO                    0xE12C  // 57644

// Window commands.
#define ID_WINDOW_SPLIT                 0xE135  // 57653

// Application commands.
#define ID_APP_ABOUT                    0xE140  // 57664
#define ID_APP_EXIT                     0xE141

// Moving the focus between the panes of a split window.
#define ID_NEXT_PANE                    0xE150  // 57680
#define ID_PREV_PANE                    0xE151

// Showing and hiding the bars. A bar's toggle command equals its child
// window identifier, so the frame finds the bar from the command alone.
#define ID_VIEW_TOOLBAR                 0xE800  // 59392
#define ID_VIEW_STATUS_BAR              0xE801

// Child window identifiers of a frame's bars and of its first view.
#define AFX_IDW_TOOLBAR                 0xE800
#define AFX_IDW_STATUS_BAR              0xE801
#define AFX_IDW_PANE_FIRST              0xE900

// Status-bar indicators: each is both the pane's identifier and the string
// that gives the pane its text and width.
#define ID_SEPARATOR                    0       // a gap in a tool bar, the message pane of a status bar
#define ID_INDICATOR_EXT                0xE700  // 59136
#define ID_INDICATOR_CAPS               0xE701
#define ID_INDICATOR_NUM                0xE702
#define ID_INDICATOR_SCRL               0xE703
#define ID_INDICATOR_OVR                0xE704
#define ID_INDICATOR_REC                0xE705

// Prompts of the system (window) menu. The prompt of system command SC_x is
// AFX_IDS_SCFIRST + (SC_x - SC_SIZE) / 16, so the frame needs no table.
#define AFX_IDS_SCFIRST                 0xEF00
#define AFX_IDS_SCSIZE                  0xEF00  // 61184
#define AFX_IDS_SCMOVE                  0xEF01
#define AFX_IDS_SCMINIMIZE              0xEF02
#define AFX_IDS_SCMAXIMIZE              0xEF03
#define AFX_IDS_SCNEXTWINDOW            0xEF04
#define AFX_IDS_SCPREVWINDOW            0xEF05
#define AFX_IDS_SCCLOSE                 0xEF06
#define AFX_IDS_SCRESTORE               0xEF12  // 61202
#define AFX_IDS_SCTASKLIST              0xEF13  // 61203

// Messages the framework shows itself; %1 and %2 are filled in by it.
#define AFX_IDP_FAILED_TO_OPEN_DOC      0xF101  // a document could not be opened (%1: file)
#define AFX_IDP_FAILED_TO_SAVE_DOC      0xF102  // a document could not be saved (%1: file)
#define AFX_IDP_ASK_TO_SAVE             0xF103  // save a modified document? (%1: title)
#define AFX_IDP_FAILED_TO_CREATE_DOC    0xF104  // New could not make an empty document
#define AFX_IDP_FAILED_MEMORY_ALLOC     0xF105  // out of memory during a command
#define AFX_IDP_PARSE_INT               0xF110  // dialog field is not a whole number
#define AFX_IDP_PARSE_INT_RANGE         0xF112  // dialog field outside %1 .. %2
#define AFX_IDP_FAILED_INVALID_FORMAT   0xF120  // file is not in the expected format (%1)
#define AFX_IDP_FAILED_INVALID_PATH     0xF121  // file or folder not found (%1)
#define AFX_IDP_FAILED_DISK_FULL        0xF122  // writing %1 ran out of disk space
#define AFX_IDP_FAILED_ACCESS_READ      0xF123  // %1 cannot be read: in use or no permission
#define AFX_IDP_FAILED_ACCESS_WRITE     0xF124  // %1 cannot be written: read-only or in use
#define AFX_IDP_FAILED_IO_ERROR_READ    0xF125  // some other error while reading %1
#define AFX_IDP_FAILED_IO_ERROR_WRITE   0xF126  // some other error while writing %1
