// Identifiers of reelwright.exe's own resources, commands and dialog
// controls, shared by its C++ code and res/reelwright.rc (so plain #defines
// only). The framework's standard identifiers are in AfxRes.h.
#pragma once

// The main frame: menu, accelerator table, tool bar bitmap, icon and the
// document template string all go by this one identifier.
#define IDR_MAINFRAME                   128

#define IDD_ABOUTBOX                    100
#define IDB_TREEIMAGES                  130     // the project tree's item pictures
#define IDD_PROGRESS                    131
#define IDD_CONVERT                     132
#define IDD_BATCHCONVERT                133

// Commands of the program's own.
#define ID_ACTION_CREATE                32771   // Create animation
#define ID_FILE_IMPORT                  32772
#define ID_ACTION_BATCH                 32773   // Batch Convert
#define ID_EDIT_DELETE                  32774   // remove the selected node

// Order in the tree and the preview (32800-32819).
#define ID_EDIT_MOVE_UP                 32800
#define ID_EDIT_MOVE_DOWN               32801
#define ID_EDIT_SORT_NUMBER             32802   // a sequence's images by the numbers in their names
#define ID_VIEW_PLAY                    32803   // play the animation in the preview pane, or stop

// IDD_PROGRESS.
#define IDC_PROGRESS                    1000
#define IDC_STATUS                      1001

// IDD_CONVERT. The transparency buttons are read as one radio group whose
// index follows their order in the template.
#define IDC_FILENAME                    1002
#define IDC_BROWSE                      1003
#define IDC_FRAMERATE                   1004
#define IDC_LOOPCOUNT                   1005
#define IDC_TRANSPARENCY_NONE           1007
#define IDC_TRANSPARENCY_FIRST          1008
#define IDC_TRANSPARENCY_EACH           1009

// IDD_BATCHCONVERT. Its radio group comes in the template in the order
// none, first, each, which is not the order of the numbers.
#define IDC_EXPAND                      1008
#define IDC_BATCH_TRANSPARENCY_FIRST    1010
#define IDC_BATCH_TRANSPARENCY_EACH     1011
#define IDC_BATCH_TRANSPARENCY_NONE     1012

// IDD_CONVERT's size choices: empty fields are not asked for.
#define IDC_OUTWIDTH                    1150
#define IDC_OUTHEIGHT                   1151
#define IDC_COLOURS                     1152
#define IDC_LOSSY                       1153
#define IDC_MAXSIZE                     1154

// IDD_BATCHCONVERT's size choices.
#define IDC_BATCH_OUTWIDTH              1155
#define IDC_BATCH_OUTHEIGHT             1156
#define IDC_BATCH_COLOURS               1157
#define IDC_BATCH_LOSSY                 1158

// The view's tree control and the preview pane beside it.
#define ID_TREE                         2001
#define ID_PREVIEW                      2002
