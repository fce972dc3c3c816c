// Resource ids of vanta. Plain macros: the resource script includes this file too. The
// framework's standard ids (ID_FILE_NEW, ID_INDICATOR_CAPS, AFX_IDS_APP_TITLE, ...) are in
// framework/framework_ids.h.
#pragma once

// Main frame: menu, accelerators, icon and title string.
#define IDR_MAINFRAME 128
// Document template string.
#define IDR_CALCPROJ_TYPE 130

// Strings.
#define IDP_OLE_INIT_FAILED 100
#define ID_INDICATOR_HARDWARE 104
#define IDS_NO_CALCULATOR_DETECTED 107
#define IDS_NEW_HARDWARE_DETECTED 108

// Commands.
#define ID_FORMAT_AND_UPDATE_CALCULATOR 32777
#define ID_HELP_UPDATER 32779
#define ID_CHECK_FOR_UPDATES 32780
#define ID_LANGUAGE 32785
#define ID_UPDATE_CALCULATOR 32786
#define ID_LATER_FIRMWARE_PROMPT 32787

// About box (dialog) and its version line.
#define IDD_ABOUTBOX 100
#define IDC_VERSION_INFO 1003
// Interface language: the restart text, shown in the newly chosen language.
#define IDS_RESTART_APPLICATION 109
// Firmware update flow: the prompts' texts and caption, the text of a failed updater start, the
// "Firmware Update" box that says no calculator is connected, and the "Calculator Detected"
// dialog offered for a recovery device.
#define IDS_LATER_FIRMWARE_AVAILABLE 101
#define IDS_FIRMWARE_ALREADY_CURRENT 102
#define IDS_FIRMWARE_UPGRADE 103
#define IDS_CALCULATOR_ALREADY_CURRENT 133
#define IDS_UPDATER_NOT_STARTED 134
#define IDD_FIRMWARE_UPDATE 310
#define IDD_CALC_DETECTED 313
#define IDC_FORMAT_AND_UPDATE 1002
