// Standard command, window and string ids that the framework itself knows and acts on. Plain
// macros, so that resource scripts can include this file as well as C++ code.
#pragma once

// Commands the application and the document handle.
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE 57603
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_PASTE 57637
#define ID_EDIT_UNDO 57643
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681

// Status-bar indicator panes; their strings ("CAP", "NUM", "SCRL") are shown while the key's
// toggle is on.
#define ID_INDICATOR_CAPS 59137
#define ID_INDICATOR_NUM 59138
#define ID_INDICATOR_SCRL 59139

// Child-window ids of a frame.
#define AFX_IDW_STATUS_BAR 59393
#define AFX_IDW_PANE_FIRST 59648

// The application's name, which also names its registry key.
#define AFX_IDS_APP_TITLE 57344

// First id the MDI client gives its children in the (absent) window menu.
#define AFX_IDM_FIRST_MDICHILD 65280
