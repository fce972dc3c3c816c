; The installer of Orv Vanta Kit, built by scripts/release.sh:
;   makensis -DVERSION=2013.1.1 -DBIN_DIR=... -DVERSION_FILE=... -DOUT_FILE=... orv_vanta_kit.nsi
; Optional: -DSIGN_SCRIPT=path, a command that signs in place the file it is given after
; --description TEXT (used for the uninstaller, which makensis writes while it builds the
; installer), and -DUNINSTALLER_COPY=path, where a copy of the signed uninstaller goes.
;
; Per machine, into "Program Files\Orvatec\Orv Vanta Kit" ("Program Files (x86)" on 64-bit
; Windows, where this 32-bit installer and vanta run under WOW64, and so does the uninstall
; entry: Add/Remove Programs lists it among the 32-bit programs); in English, Simplified
; Chinese, German, French, Spanish, Brazilian Portuguese, Japanese or Korean after the system's
; interface language (another country of one of these languages gets that language); /S
; installs without a question. Installing over an older release upgrades it in place. It
; never replaces files while vanta runs: it waits briefly for vanta to end (vanta's update
; check ends it right after opening this installer), then asks the user to close it. The uninstaller leaves the user's settings under HKCU alone. It installs only into
; a folder it creates or into the product's own installation, and makes the machine's download
; place of the update library (ProgramData\OrvUpdateCheck), both guarded by access lists of
; their own.
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
  !uninstfinalize '"${SIGN_SCRIPT}" --description "${PRODUCT} Uninstall" "%1"' = 0
  !ifdef UNINSTALLER_COPY
    !uninstfinalize 'cp "%1" "${UNINSTALLER_COPY}"' = 0
  !endif
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

; The first language is the fallback for systems in none of them.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "SpanishInternational"
!insertmacro MUI_LANGUAGE "PortugueseBR"
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "Korean"

LangString VantaRunning ${LANG_ENGLISH} "${PRODUCT} is running. Close it, then choose Retry; Cancel leaves ${PRODUCT} as it is."
LangString VantaRunning ${LANG_SIMPCHINESE} "${PRODUCT} 正在运行。请先关闭它，然后选择“重试”；选择“取消”则不作任何更改。"
LangString VantaRunning ${LANG_GERMAN} "${PRODUCT} wird ausgeführt. Schließen Sie das Programm, und wählen Sie dann „Wiederholen“; mit „Abbrechen“ bleibt ${PRODUCT} unverändert."
LangString VantaRunning ${LANG_FRENCH} "${PRODUCT} est en cours d'exécution. Fermez-le, puis choisissez Réessayer ; Annuler laisse ${PRODUCT} tel quel."
LangString VantaRunning ${LANG_SPANISHINTERNATIONAL} "${PRODUCT} se está ejecutando. Ciérrelo y elija Reintentar; Cancelar deja ${PRODUCT} como está."
LangString VantaRunning ${LANG_PORTUGUESEBR} "O ${PRODUCT} está em execução. Feche-o e escolha Tentar novamente; Cancelar deixa o ${PRODUCT} como está."
LangString VantaRunning ${LANG_JAPANESE} "${PRODUCT} は実行中です。終了してから [再試行] を選んでください。[キャンセル] を選ぶと ${PRODUCT} は変更されません。"
LangString VantaRunning ${LANG_KOREAN} "${PRODUCT}이(가) 실행 중입니다. 닫은 다음 [다시 시도]를 선택하십시오. [취소]를 선택하면 ${PRODUCT}이(가) 변경되지 않습니다."
LangString VantaWaiting ${LANG_ENGLISH} "Waiting for ${PRODUCT} to close..."
LangString VantaWaiting ${LANG_SIMPCHINESE} "正在等待 ${PRODUCT} 关闭..."
LangString VantaWaiting ${LANG_GERMAN} "Warten, bis ${PRODUCT} beendet wird..."
LangString VantaWaiting ${LANG_FRENCH} "En attente de la fermeture de ${PRODUCT}..."
LangString VantaWaiting ${LANG_SPANISHINTERNATIONAL} "Esperando a que se cierre ${PRODUCT}..."
LangString VantaWaiting ${LANG_PORTUGUESEBR} "Aguardando o fechamento do ${PRODUCT}..."
LangString VantaWaiting ${LANG_JAPANESE} "${PRODUCT} の終了を待っています..."
LangString VantaWaiting ${LANG_KOREAN} "${PRODUCT}이(가) 닫히기를 기다리는 중..."
LangString VantaStillRunning ${LANG_ENGLISH} "${PRODUCT} is still running; nothing was changed."
LangString VantaStillRunning ${LANG_SIMPCHINESE} "${PRODUCT} 仍在运行，未作任何更改。"
LangString VantaStillRunning ${LANG_GERMAN} "${PRODUCT} wird noch ausgeführt; es wurde nichts geändert."
LangString VantaStillRunning ${LANG_FRENCH} "${PRODUCT} est toujours en cours d'exécution ; rien n'a été modifié."
LangString VantaStillRunning ${LANG_SPANISHINTERNATIONAL} "${PRODUCT} aún se está ejecutando; no se ha cambiado nada."
LangString VantaStillRunning ${LANG_PORTUGUESEBR} "O ${PRODUCT} ainda está em execução; nada foi alterado."
LangString VantaStillRunning ${LANG_JAPANESE} "${PRODUCT} はまだ実行中です。何も変更されていません。"
LangString VantaStillRunning ${LANG_KOREAN} "${PRODUCT}이(가) 아직 실행 중입니다. 아무것도 변경되지 않았습니다."
LangString ShortcutName ${LANG_ENGLISH} "${PRODUCT}"
LangString ShortcutName ${LANG_SIMPCHINESE} "${PRODUCT}"
LangString ShortcutName ${LANG_GERMAN} "${PRODUCT}"
LangString ShortcutName ${LANG_FRENCH} "${PRODUCT}"
LangString ShortcutName ${LANG_SPANISHINTERNATIONAL} "${PRODUCT}"
LangString ShortcutName ${LANG_PORTUGUESEBR} "${PRODUCT}"
LangString ShortcutName ${LANG_JAPANESE} "${PRODUCT}"
LangString ShortcutName ${LANG_KOREAN} "${PRODUCT}"
LangString FolderNotProtected ${LANG_ENGLISH} "The installation folder could not be protected; ${PRODUCT} was not installed."
LangString FolderNotProtected ${LANG_SIMPCHINESE} "无法保护安装文件夹；未安装 ${PRODUCT}。"
LangString FolderNotProtected ${LANG_GERMAN} "Der Installationsordner konnte nicht geschützt werden; ${PRODUCT} wurde nicht installiert."
LangString FolderNotProtected ${LANG_FRENCH} "Le dossier d'installation n'a pas pu être protégé ; ${PRODUCT} n'a pas été installé."
LangString FolderNotProtected ${LANG_SPANISHINTERNATIONAL} "No se pudo proteger la carpeta de instalación; ${PRODUCT} no se instaló."
LangString FolderNotProtected ${LANG_PORTUGUESEBR} "Não foi possível proteger a pasta de instalação; o ${PRODUCT} não foi instalado."
LangString FolderNotProtected ${LANG_JAPANESE} "インストール フォルダーを保護できなかったため、${PRODUCT} はインストールされませんでした。"
LangString FolderNotProtected ${LANG_KOREAN} "설치 폴더를 보호할 수 없어 ${PRODUCT}을(를) 설치하지 않았습니다."
LangString FolderExists ${LANG_ENGLISH} "The folder $INSTDIR already exists and is not an installation of ${PRODUCT}. Choose a folder that does not exist yet; ${PRODUCT} was not installed."
LangString FolderExists ${LANG_SIMPCHINESE} "文件夹 $INSTDIR 已存在，且不是 ${PRODUCT} 的安装位置。请选择一个尚不存在的文件夹；未安装 ${PRODUCT}。"
LangString FolderExists ${LANG_GERMAN} "Der Ordner $INSTDIR ist bereits vorhanden und keine Installation von ${PRODUCT}. Wählen Sie einen Ordner, der noch nicht vorhanden ist; ${PRODUCT} wurde nicht installiert."
LangString FolderExists ${LANG_FRENCH} "Le dossier $INSTDIR existe déjà et n'est pas une installation de ${PRODUCT}. Choisissez un dossier qui n'existe pas encore ; ${PRODUCT} n'a pas été installé."
LangString FolderExists ${LANG_SPANISHINTERNATIONAL} "La carpeta $INSTDIR ya existe y no es una instalación de ${PRODUCT}. Elija una carpeta que aún no exista; ${PRODUCT} no se instaló."
LangString FolderExists ${LANG_PORTUGUESEBR} "A pasta $INSTDIR já existe e não é uma instalação do ${PRODUCT}. Escolha uma pasta que ainda não exista; o ${PRODUCT} não foi instalado."
LangString FolderExists ${LANG_JAPANESE} "フォルダー $INSTDIR は既に存在し、${PRODUCT} のインストール先ではありません。まだ存在しないフォルダーを選んでください。${PRODUCT} はインストールされませんでした。"
LangString FolderExists ${LANG_KOREAN} "$INSTDIR 폴더가 이미 있으며 ${PRODUCT}의 설치 폴더가 아닙니다. 아직 없는 폴더를 선택하십시오. ${PRODUCT}을(를) 설치하지 않았습니다."
LangString InstalledByPackage ${LANG_ENGLISH} "${PRODUCT} is installed with its Windows Installer package (.msi). Install the new release's .msi instead, or uninstall ${PRODUCT} first (Settings, Apps, or Add or Remove Programs)."
LangString InstalledByPackage ${LANG_SIMPCHINESE} "${PRODUCT} 是用 Windows Installer 安装包 (.msi) 安装的。请改用新版本的 .msi 安装，或先卸载 ${PRODUCT}（“设置”中的“应用”，或“添加或删除程序”）。"

LangString InstalledByPackage ${LANG_GERMAN} "${PRODUCT} wurde mit seinem Windows Installer-Paket (.msi) installiert. Installieren Sie stattdessen das .msi-Paket der neuen Version, oder deinstallieren Sie ${PRODUCT} zuerst (Einstellungen > Apps oder Programme hinzufügen/entfernen)."
LangString InstalledByPackage ${LANG_FRENCH} "${PRODUCT} a été installé avec son package Windows Installer (.msi). Installez plutôt le .msi de la nouvelle version, ou désinstallez d'abord ${PRODUCT} (Paramètres > Applications, ou Ajout/Suppression de programmes)."
LangString InstalledByPackage ${LANG_SPANISHINTERNATIONAL} "${PRODUCT} se instaló con su paquete de Windows Installer (.msi). Instale en su lugar el .msi de la nueva versión, o desinstale primero ${PRODUCT} (Configuración > Aplicaciones, o Agregar o quitar programas)."
LangString InstalledByPackage ${LANG_PORTUGUESEBR} "O ${PRODUCT} foi instalado com seu pacote do Windows Installer (.msi). Instale o .msi da nova versão ou desinstale o ${PRODUCT} primeiro (Configurações > Aplicativos, ou Adicionar ou remover programas)."
LangString InstalledByPackage ${LANG_JAPANESE} "${PRODUCT} は Windows インストーラー パッケージ (.msi) でインストールされています。新しいリリースの .msi を使ってインストールするか、先に ${PRODUCT} をアンインストールしてください ([設定] の [アプリ]、または [プログラムの追加と削除])。"
LangString InstalledByPackage ${LANG_KOREAN} "${PRODUCT}은(는) Windows Installer 패키지(.msi)로 설치되었습니다. 대신 새 릴리스의 .msi로 설치하거나 먼저 ${PRODUCT}을(를) 제거하십시오([설정]의 [앱] 또는 [프로그램 추가/제거])."

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

; An existing $INSTDIR must be the product's installation (the one HKLM records): a folder made
; by someone else may hold what they put there, and its files would be loaded as administrator.
!macro REFUSE_FOREIGN_FOLDER
  ${If} ${FileExists} "$INSTDIR"
    ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R1 == ""
    ${OrIf} $R1 != $INSTDIR
      MessageBox MB_OK|MB_ICONSTOP "$(FolderExists)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
!macroend

; Sets $R0 to the folder whose access list guards the installation: the highest folder of
; $INSTDIR's chain that does not exist yet, or $INSTDIR itself when it exists (an upgrade).
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

; Runs icacls with the arguments given; stops the installer when it fails.
!macro ICACLS ARGUMENTS
  nsExec::Exec '"$SYSDIR\icacls.exe" ${ARGUMENTS}'
  Pop $R1
  ${If} $R1 != 0
    MessageBox MB_OK|MB_ICONSTOP "$(FolderNotProtected)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

; Gives FOLDER the access list GRANTS and nothing else: owner Administrators, every explicit
; entry removed, nothing inherited from wherever it was put, then the grants (groups by SID, so
; that any language's names work). OPTIONS go to every command: " /T" also owns and resets
; everything below FOLDER, which then inherits the grants; " /L" acts on FOLDER itself, never
; on what a link would point to.
!macro OWN_FOLDER FOLDER OPTIONS GRANTS
  !insertmacro ICACLS '"${FOLDER}" /setowner *S-1-5-32-544${OPTIONS}'
  !insertmacro ICACLS '"${FOLDER}" /reset${OPTIONS}'
  !insertmacro ICACLS '"${FOLDER}" /inheritance:r /grant:r ${GRANTS}'
!macroend

; vanta imports hid.dll and version.dll, which the loader looks for in vanta's folder before any
; of vanta's code runs, and vanta runs as administrator: only the folder's access list keeps a
; planted copy out. The folder gets one of its own: Administrators and SYSTEM full control,
; Users read and execute. Nothing is copied unless that succeeded.
!macro GUARD_FOLDER
  !insertmacro REFUSE_FOREIGN_FOLDER
  !insertmacro GUARDED_FOLDER
  CreateDirectory "$INSTDIR"
  !insertmacro OWN_FOLDER "$R0" " /T" "*S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX"
!macroend

; Where the update library, run as administrator, downloads packages: ProgramData\OrvUpdateCheck
; (SetShellVarContext all), for Administrators and SYSTEM only. Users may make folders in
; ProgramData, so a link found in its place is removed (the link, never what it points to), and
; icacls acts on the folder itself (/L): what a user may have left inside is the library's to
; check and remove, never walked here.
!macro GUARD_DOWNLOAD_PLACE
  StrCpy $R2 "$APPDATA\OrvUpdateCheck"
  ; System plugin registers: r11 is $R1, r13 $R3.
  System::Call 'kernel32::GetFileAttributesW(w "$R2") i .r11'
  IntOp $R3 $R1 & 0x400 ; FILE_ATTRIBUTE_REPARSE_POINT
  ${If} $R1 <> -1
  ${AndIf} $R3 <> 0
    System::Call 'kernel32::RemoveDirectoryW(w "$R2") i .r13'
    ${If} $R3 = 0
      System::Call 'kernel32::DeleteFileW(w "$R2") i .r13'
    ${EndIf}
  ${EndIf}
  CreateDirectory "$R2"
  !insertmacro OWN_FOLDER "$R2" " /L" "*S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F /L"
!macroend

Section "Install"
  ; vanta may have been started while the pages were shown.
  !insertmacro ENSURE_VANTA_CLOSED
  SetShellVarContext all
  !insertmacro GUARD_FOLDER
  !insertmacro GUARD_DOWNLOAD_PLACE
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
