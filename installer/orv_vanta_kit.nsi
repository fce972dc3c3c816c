; The installer of Orv Vanta Kit, built by scripts/release.sh:
;   makensis -DVERSION=2013.1.1 -DBIN_DIR=... -DVERSION_FILE=... -DOUT_FILE=... orv_vanta_kit.nsi
; Optional: -DSIGN_SCRIPT=path, a command that signs the file it is given in place (used for
; the uninstaller, which makensis writes while it builds the installer).
;
; Per machine, into "Program Files\Orvatec\Orv Vanta Kit" ("Program Files (x86)" on 64-bit
; Windows, where this 32-bit installer and vanta run under WOW64, and so does the uninstall
; entry: Add/Remove Programs lists it among the 32-bit programs); English or Simplified Chinese
; after the system's language; /S installs without a question. Installing over an older release
; upgrades it in place. It never replaces files while vanta runs: it waits briefly for vanta to
; end (vanta's update check ends it right after opening this installer), then asks the user to
; close it. The uninstaller leaves the user's settings under HKCU alone.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!ifndef VERSION | BIN_DIR | VERSION_FILE | OUT_FILE
  !error "VERSION, BIN_DIR, VERSION_FILE and OUT_FILE must be defined"
!endif

!define PRODUCT "Orv Vanta Kit"
!define PUBLISHER "Orvatec"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define VANTA_MUTEX "Vanta-{5C13A8F0-7B2E-4d91-BE46-0F7A92C3D158}"
!define SYNCHRONIZE 0x00100000
; The UpgradeCode of the Windows Installer package (installer/msi/orv_vanta_kit.wxs).
!define MSI_UPGRADE_CODE "{87839F78-FDE1-4EC9-A92C-C39D6C5AE3DB}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES\Orvatec\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!ifdef SIGN_SCRIPT
  !uninstfinalize '"${SIGN_SCRIPT}" "%1"' = 0
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the fallback for systems in neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString VantaRunning ${LANG_ENGLISH} "${PRODUCT} is running. Close it, then choose Retry; Cancel leaves ${PRODUCT} as it is."
LangString VantaRunning ${LANG_SIMPCHINESE} "${PRODUCT} 正在运行。请先关闭它，然后选择“重试”；选择“取消”则不作任何更改。"
LangString VantaWaiting ${LANG_ENGLISH} "Waiting for ${PRODUCT} to close..."
LangString VantaWaiting ${LANG_SIMPCHINESE} "正在等待 ${PRODUCT} 关闭..."
LangString VantaStillRunning ${LANG_ENGLISH} "${PRODUCT} is still running; nothing was changed."
LangString VantaStillRunning ${LANG_SIMPCHINESE} "${PRODUCT} 仍在运行，未作任何更改。"
LangString ShortcutName ${LANG_ENGLISH} "${PRODUCT}"
LangString ShortcutName ${LANG_SIMPCHINESE} "${PRODUCT}"
LangString FolderNotProtected ${LANG_ENGLISH} "The installation folder could not be protected; ${PRODUCT} was not installed."
LangString FolderNotProtected ${LANG_SIMPCHINESE} "无法保护安装文件夹；未安装 ${PRODUCT}。"
LangString InstalledByPackage ${LANG_ENGLISH} "${PRODUCT} is installed with its Windows Installer package (.msi). Install the new release's .msi instead, or uninstall ${PRODUCT} first (Settings, Apps, or Add or Remove Programs)."
LangString InstalledByPackage ${LANG_SIMPCHINESE} "${PRODUCT} 是用 Windows Installer 安装包 (.msi) 安装的。请改用新版本的 .msi 安装，或先卸载 ${PRODUCT}（“设置”中的“应用”，或“添加或删除程序”）。"

; The two installers never mix on one PC: an installation made by the Windows Installer
; package is updated and removed by packages only. Stops with exit code 2.
!macro REFUSE_PACKAGE_INSTALLATION
  System::Call 'msi::MsiEnumRelatedProductsW(w "${MSI_UPGRADE_CODE}", i 0, i 0, w .r1) i .r0'
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONSTOP "$(InstalledByPackage)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

; Whether a vanta runs in this session: its single-instance mutex exists. Sets $0 to 1 or 0.
!macro VANTA_RUNNING
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${VANTA_MUTEX}") p .r1'
  ${If} $1 P<> 0
    System::Call 'kernel32::CloseHandle(p r1)'
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
!macroend

; Waits up to $2 tenths of a second for vanta to end. Sets $0 to 1 while it still runs.
!macro WAIT_FOR_VANTA
  !insertmacro VANTA_RUNNING
  ${While} $0 = 1
    ${If} $2 <= 0
      ${Break}
    ${EndIf}
    Sleep 100
    IntOp $2 $2 - 1
    !insertmacro VANTA_RUNNING
  ${EndWhile}
!macroend

; Never go on while vanta runs: wait a little (it is usually ending), then ask; silently,
; wait longer and give up with exit code 2.
!macro ENSURE_VANTA_CLOSED
  !insertmacro VANTA_RUNNING
  ${If} $0 = 1
    DetailPrint "$(VantaWaiting)"
    ${If} ${Silent}
      StrCpy $2 600
      !insertmacro WAIT_FOR_VANTA
    ${Else}
      Banner::show "$(VantaWaiting)"
      StrCpy $2 100
      !insertmacro WAIT_FOR_VANTA
      Banner::destroy
    ${EndIf}
    ${DoWhile} $0 = 1
      ${If} ${Silent}
        SetErrorLevel 2
        Quit
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(VantaRunning)" /SD IDCANCEL IDRETRY +4
        MessageBox MB_OK|MB_ICONINFORMATION "$(VantaStillRunning)" /SD IDOK
        SetErrorLevel 2
        Quit
      StrCpy $2 20
      !insertmacro WAIT_FOR_VANTA
    ${Loop}
  ${EndIf}
!macroend

Function .onInit
  !insertmacro REFUSE_PACKAGE_INSTALLATION
  !insertmacro ENSURE_VANTA_CLOSED
  ; An earlier release is upgraded where it is. Read from HKLM only.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\vanta.exe"
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

; Sets $R0 to the folder whose access list guards the installation: the highest folder of
; $INSTDIR's chain that does not exist yet, or $INSTDIR itself when it exists (an upgrade, or a
; folder the user chose).
!macro GUARDED_FOLDER
  StrCpy $R0 "$INSTDIR"
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    ${Do}
      ${GetParent} "$R0" $R1
      ${If} $R1 == ""
      ${OrIf} ${FileExists} "$R1\*.*"
        ${Break}
      ${EndIf}
      StrCpy $R0 $R1
    ${Loop}
  ${EndIf}
!macroend

; vanta imports hid.dll and version.dll, which the loader looks for in vanta's folder before any
; of vanta's code runs, and vanta runs as administrator: only the folder's access list keeps a
; planted copy out. The folder gets one of its own, not inherited from wherever it was put:
; Administrators and SYSTEM full control, Users read and execute (groups by SID, so that any
; language's names work). Nothing is copied unless that succeeded.
!macro GUARD_FOLDER
  !insertmacro GUARDED_FOLDER
  CreateDirectory "$INSTDIR"
  nsExec::Exec '"$SYSDIR\icacls.exe" "$R0" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX'
  Pop $R1
  ${If} $R1 != 0
    MessageBox MB_OK|MB_ICONSTOP "$(FolderNotProtected)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

Section "Install"
  ; vanta may have been started while the pages were shown.
  !insertmacro ENSURE_VANTA_CLOSED
  SetShellVarContext all
  !insertmacro GUARD_FOLDER
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${BIN_DIR}\vanta.exe"
  File "${BIN_DIR}\OrvUpdateCheck.dll"
  File "${BIN_DIR}\vanta???.dll"
  File "/oname=version" "${VERSION_FILE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The working directory is the installation folder: vanta finds "version" and
  ; "Updater.exe" there.
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vanta.exe" "" "$INSTDIR\vanta.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vanta.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  !insertmacro ENSURE_VANTA_CLOSED
FunctionEnd

; Removes what the installer put there, and nothing of the user's: HKCU stays.
Section "Uninstall"
  !insertmacro ENSURE_VANTA_CLOSED
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\vanta.exe"
  Delete "$INSTDIR\OrvUpdateCheck.dll"
  Delete "$INSTDIR\vanta???.dll"
  Delete "$INSTDIR\version"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
