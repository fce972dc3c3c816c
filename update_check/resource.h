// Resource ids of OrvUpdateCheck.dll.
#pragma once

// The update dialog and its icon.
#define IDD_CHECK_FOR_UPDATE 148
#define IDI_CHECK_FOR_UPDATE 148

// Controls of the update dialog.
#define IDC_NOT_NOW 3
#define IDC_GET_IT 4
#define IDC_STATUS_TEXT 1013
#define IDC_AUTO_CHECK 1014
#define IDC_PROGRESS 1019

// English texts of the update dialog; the Simplified Chinese ones are built in under the same ids.
#define IDS_GET_IT 149
#define IDS_NOT_NOW 150
#define IDS_UPDATE_AVAILABLE 151
#define IDS_CHECK_ONLINE 152
#define IDS_COULD_NOT_CONNECT 153
#define IDS_FINISH 154
#define IDS_NO_UPDATE 155
#define IDS_RETRYING 156
#define IDS_CANCEL 157
#define IDS_CONNECTING 158
#define IDS_ERROR 159
#define IDS_DOWNLOADING 160
#define IDS_CHECK_FOR_UPDATE 161
#define IDS_CHECK_AUTOMATICALLY 162
#define IDS_NOT_VERIFIED 163
#define IDS_FOLDER_NOT_PROTECTED 164
#define IDS_NEEDS_ADMINISTRATOR 165
