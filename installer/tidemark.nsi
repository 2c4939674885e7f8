; Per-user installer of Tidemark: no administrator rights, into the user's
; programs folder, with a Start-menu entry and, as an option, a start with
; Windows. Built by the cross build:
;   makensis -INPUTCHARSET UTF8 -DSOURCE_DIR=... -DPROGRAM_DIR=... -DOUTFILE=... tidemark.nsi
; PROGRAM_DIR holds the stripped tidemark.exe and tidebell.wav.
; Silent: "tidemark-setup.exe /S" (add /NOSTARTUP to leave the start with
; Windows out) and "uninstall.exe /S", which keeps the settings.
; 64-bit, like the program (Wine here runs 64-bit programs only).
Target amd64-unicode
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define VERSION "4.7.0"
!define SETTINGS_KEY "Software\Harrowby\Tidemark"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidemark"
; The program's hidden main window and its single-instance mutex.
!define FRAME_CLASS "TidemarkFrame"
!define FRAME_TITLE "Tidemark"
!define INSTANCE_MUTEX "Tdm2000InstanceRunning"

Name "Tidemark ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Tidemark"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1042 "ProductName" "Tidemark"
VIAddVersionKey /LANG=1042 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1042 "FileDescription" "Tidemark 설치 프로그램"
VIAddVersionKey /LANG=1042 "CompanyName" "Harrowby"
VIAddVersionKey /LANG=1042 "LegalCopyright" "Harrowby"

!define MUI_ICON "${SOURCE_DIR}/res/icons/tidemark.ico"
!define MUI_UNICON "${SOURCE_DIR}/res/icons/tidemark.ico"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\tidemark.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Korean"

; Asks a running Tidemark to end the way its exit command does (the main
; window's close message saves the settings) and waits until its process has
; released the single-instance mutex, at most ten seconds.
!macro CLOSE_RUNNING_TIDEMARK prefix
Function ${prefix}CloseRunningTidemark
    FindWindow $0 "${FRAME_CLASS}" "${FRAME_TITLE}"
    ${If} $0 <> 0
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${EndIf}
    ${For} $1 1 40
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r2'
        ${If} $2 = 0
            ${Break}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r2)'
        Sleep 250
    ${Next}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_TIDEMARK ""
!insertmacro CLOSE_RUNNING_TIDEMARK "un."

Section "Tidemark" SecProgram
    SectionIn RO
    Call CloseRunningTidemark
    SetOutPath "$INSTDIR"
    File "${PROGRAM_DIR}/tidemark.exe"
    File "${PROGRAM_DIR}/tidebell.wav"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\Tidemark.lnk" "$INSTDIR\tidemark.exe"
    ; The start with Windows section below adds it back when chosen.
    DeleteRegValue HKCU "${RUN_KEY}" "Tidemark"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tidemark"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Harrowby"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tidemark.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Windows 시작 시 실행" SecStartup
    WriteRegStr HKCU "${RUN_KEY}" "Tidemark" '"$INSTDIR\tidemark.exe"'
SectionEnd

Function .onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/NOSTARTUP" $1
    ${IfNot} ${Errors}
        SectionSetFlags ${SecStartup} 0
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.CloseRunningTidemark
    DeleteRegValue HKCU "${RUN_KEY}" "Tidemark"
    Delete "$SMPROGRAMS\Tidemark.lnk"
    Delete "$INSTDIR\tidemark.exe"
    Delete "$INSTDIR\tidebell.wav"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    MessageBox MB_YESNO|MB_ICONQUESTION "Tidemark의 설정(메일 계정, 주소록, 스팸 목록)도 지울까요?" /SD IDNO IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Harrowby"
keep:
SectionEnd
