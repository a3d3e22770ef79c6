// Identifiers of the program's resources and commands.
#pragma once

#define IDR_MAINFRAME           128
#define IDD_ABOUTBOX            100
#define IDB_TREEIMAGES          130
#define IDD_PROGRESS            131
#define IDD_CONVERT             132
#define IDD_BATCHCONVERT        133

#define ID_ACTION_CREATE        32771
#define ID_FILE_IMPORT          32772
#define ID_ACTION_BATCH         32773
#define ID_EDIT_DELETE          32774

#define ID_TREE                 2001
