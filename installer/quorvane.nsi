; The setup program of Quorvane: installs per machine into Program Files\Quorvane,
; registers the uninstaller in Apps and features, and replaces a running copy once
; it has ended. Built by build-setup.sh, which passes the defines below.
;   QV_VERSION  four numbers       QV_STAGE    folder with the signed programs
;   QV_OUT      the setup to write QV_RES      the repository's res/ folder
;   QV_STRINGS  the setup's texts  QV_SIGN     signing command, the file as its last argument
;   QV_PICTURES the wizard's header.bmp and side.bmp
; A 64-bit setup for the 64-bit programs.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define QV_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvane"
!define QV_RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define QV_RUN_ONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
; The program holds this mutex while it runs.
!define QV_PROGRAM_MUTEX "APPID"
!define QV_SYNCHRONIZE 0x00100000
; How long the setup waits for a running copy to end, in half seconds.
!define QV_WAIT_TURNS 60
; Exit code of a silent setup that found the program still running.
!define QV_EXIT_PROGRAM_RUNNING 2
; Exit code of an uninstall that removed the program but left some of the data it was told to remove.
!define QV_EXIT_DATA_LEFT 3

Name "Quorvane"
OutFile "${QV_OUT}"
InstallDir "$PROGRAMFILES64\Quorvane"
BrandingText "Quorvane ${QV_VERSION}"
VIProductVersion "${QV_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Quorvane"
VIAddVersionKey /LANG=1033 "CompanyName" "Quorvane"
VIAddVersionKey /LANG=1033 "FileDescription" "Quorvane setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${QV_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${QV_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Quorvane"

!finalize '${QV_SIGN} "%1"' = 0
!uninstfinalize '${QV_SIGN} "%1"' = 0

!define MUI_ICON "${QV_RES}/gui/quorvane.ico"
!define MUI_UNICON "${QV_RES}/gui/quorvane.ico"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_RIGHT
!define MUI_HEADERIMAGE_BITMAP "${QV_PICTURES}/header.bmp"
!define MUI_HEADERIMAGE_UNBITMAP "${QV_PICTURES}/header.bmp"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${QV_PICTURES}/side.bmp"
!define MUI_ABORTWARNING
; The progress page stays, completed, until Next.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quorvane.exe"
!define MUI_UNCOMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_LICENSE "License.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!include "${QV_STRINGS}"

Var StartedByUpdate

Function .onInit
  SetRegView 64
  SetShellVarContext all
  ; An update goes where the installed copy is, unless /D names a folder.
  ${If} $INSTDIR == "$PROGRAMFILES64\Quorvane"
    ReadRegStr $0 HKLM "${QV_UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${EndIf}
  ${EndIf}
  ; /UPDATE: started by the program's own update, which closed the program.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/UPDATE" $1
  ${IfNot} ${Errors}
    StrCpy $StartedByUpdate 1
  ${EndIf}
FunctionEnd

; Waits for a running Quorvane.exe to end. When it does not within the time-out,
; asks (Retry or Cancel) or, when silent, ends with an error before anything is changed.
!macro QV_WAIT_FOR_PROGRAM_END un
Function ${un}WaitForProgramEnd
  StrCpy $1 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i ${QV_SYNCHRONIZE}, i 0, w "${QV_PROGRAM_MUTEX}") p .r0'
    ${If} $0 P= 0
      Return
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    IntOp $1 $1 + 1
    ${If} $1 >= ${QV_WAIT_TURNS}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(IDS_SETUP_PROGRAM_RUNNING)" /SD IDCANCEL IDRETRY retry
      SetErrorLevel ${QV_EXIT_PROGRAM_RUNNING}
      Quit
    retry:
      StrCpy $1 0
    ${EndIf}
    Sleep 500
  ${Loop}
FunctionEnd
!macroend
!insertmacro QV_WAIT_FOR_PROGRAM_END ""
!insertmacro QV_WAIT_FOR_PROGRAM_END "un."

Section "Quorvane" SecProgram
  SectionIn RO
  Call WaitForProgramEnd
  SetOutPath "$INSTDIR"
  File "${QV_STAGE}/Quorvane.exe"
  File "${QV_STAGE}/qvcli.exe"
  File "/oname=License.txt" "License.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Quorvane.lnk" "$INSTDIR\Quorvane.exe" "" "$INSTDIR\Quorvane.exe" 0

  ${GetFileVersion} "$INSTDIR\Quorvane.exe" $0
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "DisplayName" "Quorvane"
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "DisplayVersion" "$0"
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "Publisher" "Quorvane"
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quorvane.exe,0"
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKLM "${QV_UNINSTALL_KEY}" "URLInfoAbout" "https://www.quorvane.com/"
  WriteRegDWORD HKLM "${QV_UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD HKLM "${QV_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${QV_UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function .onInstSuccess
  ; The finish page offers the start; a silent update starts the new version itself.
  ${If} ${Silent}
  ${AndIf} $StartedByUpdate == 1
    Exec '"$INSTDIR\Quorvane.exe"'
  ${EndIf}
FunctionEnd

Section "un.Quorvane" SecUnProgram
  SectionIn RO
  Call un.WaitForProgramEnd
  Delete "$SMPROGRAMS\Quorvane.lnk"
  DeleteRegKey HKLM "${QV_UNINSTALL_KEY}"
  DeleteRegValue HKLM "${QV_RUN_KEY}" "Quorvane"
  DeleteRegValue HKLM "${QV_RUN_ONCE_KEY}" "Quorvane"
  DeleteRegValue HKCU "${QV_RUN_KEY}" "Quorvane"
  DeleteRegValue HKCU "${QV_RUN_ONCE_KEY}" "Quorvane"
SectionEnd

; Off unless ticked (silent: only with /REMOVEDATA): the user's data folder with the
; settings, downloads and driver backups, and the program-data work area. The installed
; qvcli.exe removes them with the program's own tree delete, which removes a junction or
; link as itself and never follows it; it runs before the programs are deleted.
Section /o "un.$(IDS_SETUP_REMOVE_DATA)" SecUnData
  nsExec::ExecToLog '"$INSTDIR\qvcli.exe" remove-data'
  Pop $0
  ${If} $0 != 0
    SetErrorLevel ${QV_EXIT_DATA_LEFT}
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(IDS_SETUP_DATA_LEFT)" /SD IDOK
  ${EndIf}
SectionEnd

Section "-un.ProgramFiles"
  Delete "$INSTDIR\Quorvane.exe"
  Delete "$INSTDIR\qvcli.exe"
  Delete "$INSTDIR\License.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; A process cannot remove its own working folder.
  SetOutPath "$TEMP"
  RMDir "$INSTDIR"
SectionEnd

; Below the sections, which it selects.
Function un.onInit
  SetRegView 64
  SetShellVarContext all
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/REMOVEDATA" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecUnData}
  ${EndIf}
FunctionEnd
