; The Windows installer of Kairos, for all users of the machine.
;
;   makensis -DVERSION=0.1.0 -DSTAGE=<staged folder> -DOUTFILE=<setup.exe> kairos.nsi
;
; scripts/windows-package.sh runs it. STAGE is the folder that
; `cmake --install` made; all of it is installed. makensis must run on a
; POSIX system: the uninstaller's file list is made by a shell script.

!ifdef VERSION & STAGE & OUTFILE
!else
  !error "makensis needs -DVERSION=x.y.z -DSTAGE=<folder> -DOUTFILE=<file>"
!endif

Unicode true
; Kairos is a 64-bit program, so its installer may be one too: it runs where
; the program does, sees the 64-bit registry and Program Files without
; redirection, and needs no 32-bit wine for its test.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!define PRODUCT "Kairos"
!define PUBLISHER "The Kairos developers"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kairos"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kairos"
; An update goes where the last installation went, wherever the user put it.
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"

!if /FileExists "${STAGE}\kairos.ico"
  !define MUI_ICON "${STAGE}\kairos.ico"
  !define MUI_UNICON "${STAGE}\kairos.ico"
!endif
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE WaitUntilKairosEnds
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; No "run Kairos now": the installer runs elevated, and so would the clock,
; which then keeps the user's own, unelevated copy from starting.
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE un.WaitUntilKairosEnds
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

; The setup program's own version resource; Windows wants four numbers.
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Kairos セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

; A running kairos.exe cannot be replaced or deleted. Windows refuses to open
; the file of a running program for writing, which tells without a process
; list (and so without a plugin) whether this installation's copy runs, for
; any user. A silent run goes on regardless, as its caller asked.
!define RUNNING_TEXT "Kairos が実行中です。$\r$\nKairos を終了してから［再試行］を押してください。"
!macro WAIT_UNTIL_KAIROS_ENDS UN
Function ${UN}WaitUntilKairosEnds
  ${IfNot} ${Silent}
  ${AndIf} ${FileExists} "$INSTDIR\kairos.exe"
    ${Do}
      ClearErrors
      FileOpen $0 "$INSTDIR\kairos.exe" a
      ${IfNot} ${Errors}
        FileClose $0
        ${Break}
      ${EndIf}
      ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${RUNNING_TEXT}" IDCANCEL`
        Abort
      ${EndIf}
    ${Loop}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro WAIT_UNTIL_KAIROS_ENDS ""
!insertmacro WAIT_UNTIL_KAIROS_ENDS "un."

Section "Kairos 本体" SecMain
  SectionIn RO
  SetShellVarContext all
  ; An earlier installation leaves by its own uninstaller, which knows its
  ; files: they need not be this version's. "_?=" keeps it in place, so
  ; ExecWait waits for the work itself.
  ${If} ${FileExists} "$INSTDIR\Uninstall.exe"
  ${AndIf} ${FileExists} "$INSTDIR\kairos.exe"
    ExecWait '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
    Delete "$INSTDIR\Uninstall.exe"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The shortcut starts the clock in its own folder (the output path).
  CreateDirectory "$SMPROGRAMS\Kairos"
  CreateShortcut "$SMPROGRAMS\Kairos\Kairos.lnk" "$INSTDIR\kairos.exe"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\kairos.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ; In KiB, as "Programs and Features" reads it: what makensis packed.
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; Starting at logon is a choice of the user who installs, so the shortcut
; goes to that user's own Startup folder, not to everyone's. (An
; administrator who installs for someone else, elevating with another
; account, gets it in the administrator's.)
Section /o "ログオン時に起動する" SecAutostart
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMSTARTUP\Kairos.lnk" "$INSTDIR\kairos.exe"
  SetShellVarContext all
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "時計のプログラム、ヘルプとスタート メニューの項目です。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "このユーザーが Windows にログオンしたとき、Kairos を起動します。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  ; "/AUTOSTART" selects the Startup shortcut, for silent installs above all.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecAutostart}
  ${EndIf}
  ; An update keeps the shortcut that an earlier installation made.
  SetShellVarContext current
  ${If} ${FileExists} "$SMSTARTUP\Kairos.lnk"
    !insertmacro SelectSection ${SecAutostart}
  ${EndIf}
FunctionEnd

; The files to remove are exactly the staged ones, listed at build time.
!tempfile UNINSTALL_LIST
!system 'bash "${__FILEDIR__}/uninstall-list.sh" "${STAGE}" > "${UNINSTALL_LIST}"' = 0

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Kairos\Kairos.lnk"
  RMDir "$SMPROGRAMS\Kairos"
  ; Only the uninstalling user's Startup shortcut can be reached: one that
  ; another user made stays, pointing to nothing.
  SetShellVarContext current
  Delete "$SMSTARTUP\Kairos.lnk"

  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\Uninstall.exe"
  ; Not /r: anything that the installer did not put here stays, and with
  ; it the folder.
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${UNINST_KEY}"
  ; The settings and alarms in %APPDATA%\Kairos are the user's own data,
  ; not the program's: they stay, for a later installation to find.
SectionEnd
!delfile "${UNINSTALL_LIST}"
