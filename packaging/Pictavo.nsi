; Pictavo's installer: both Windows builds in one setup program; the one that fits the machine is installed.
;
;   makensis -DVERSION=1.0.0 -DSTAGE_X64=dir -DSTAGE_X86=dir -DFILES=files.nsh -DICON=Pictavo.ico -DWIZARD=side.bmp
;            -DOUTFILE=setup.exe Pictavo.nsi
;
; STAGE_X64 and STAGE_X86 hold what `cmake --install` put there for each build; FILES defines the macro
; PictavoFiles, which names every file installed beside Pictavo.scr. -DTARGET_AMD64 builds the same installer
; as a 64-bit program (the released one is 32-bit, so that it starts on every Windows).
;
; Elevated, it installs for all users into the program folder and puts a copy of Pictavo.scr into Windows' system
; folder: Windows lists the savers it finds there, so Pictavo stays in its list whichever saver is chosen. The
; copy finds its other files in the program folder, which Setup records (HKLM\Software\Pictavo, "InstallDir").
; Otherwise it installs for the current user into %LOCALAPPDATA%\Programs, with a Start-menu entry that makes
; Pictavo the screen saver again. /CurrentUser installs for the current user even when elevated. /S is silent;
; /D=folder (last on the command line) chooses the folder.

!ifndef VERSION | STAGE_X64 | STAGE_X86 | FILES | ICON | WIZARD | OUTFILE
  !error "VERSION, STAGE_X64, STAGE_X86, FILES, ICON, WIZARD and OUTFILE must be defined"
!endif

Unicode true
!ifdef TARGET_AMD64
  Target amd64-unicode
!endif
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel highest
AllowSkipfiles off
!pragma warning disable 6012  ; LogicLib leaves labels unused

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include StrFunc.nsh
!include ${FILES}

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pictavo"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SETUP_KEY "Software\Pictavo"   ; HKLM, "InstallDir": where the system folder's copy finds its files
!define SHORTCUT "$SMPROGRAMS\Pictavo screen saver.lnk"
!define SYSTEM_COPY "$SYSDIR\Pictavo.scr"
; The system folder's earlier copy is set aside in the program folder, never in the system folder: a running
; copy cannot be deleted until Windows restarts.
!define SYSTEM_ASIDE "$INSTDIR\Pictavo.scr.system.old"
!searchparse /noerrors "${VERSION}" "" VERSION_MAJOR "." VERSION_MINOR "." VERSION_PATCH
!define /math VERSION_HIGH ${VERSION_MAJOR} << 16
!define /math VERSION_HIGH_WORD ${VERSION_HIGH} | ${VERSION_MINOR}
!define /math VERSION_LOW_WORD ${VERSION_PATCH} << 16

Name "Pictavo"
Caption "Pictavo ${VERSION} Setup"
UninstallCaption "Pictavo ${VERSION} Uninstall"
BrandingText "Pictavo ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Pictavo"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Pictavo"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Pictavo ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "Pictavo"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 the Pictavo developers"

Var AllUsers      ; "1" when installing for every user of the machine
Var Replacing     ; "1" while files of an earlier installation are set aside as *.old
Var SystemAside   ; "1" while the system folder's earlier copy is set aside
Var ScreenSaver   ; the copy that Windows starts, as SCRNSAVE.EXE names it
Var FinishText

${StrStr}

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Setup will install Pictavo ${VERSION}, a photographic screen saver, and make it your screen saver.$\r$\n$\r$\nIf Pictavo is running, end it before you continue.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the screen saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE_X64}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; ---- where to install -----------------------------------------------------------------------------------

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ; /D=folder has set INSTDIR already; otherwise it holds the InstallDir above.
  StrCpy $4 ""
  ${If} $INSTDIR != "$LOCALAPPDATA\Programs\Pictavo"
    StrCpy $4 $INSTDIR
  ${EndIf}
  StrCpy $AllUsers "0"
  UserInfo::GetAccountType
  Pop $0
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/CurrentUser" $2
  ${If} $0 == "Admin"
  ${AndIf} ${Errors}
    StrCpy $AllUsers "1"
  ${EndIf}
  ${If} $AllUsers == "1"
    SetShellVarContext all
    ${If} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\Pictavo"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\Pictavo"
    ${EndIf}
    ReadRegStr $3 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${Else}
    SetShellVarContext current
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Pictavo"
    ReadRegStr $3 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ; An update goes where the earlier version is, unless /D names a folder.
  ${If} $3 != ""
    StrCpy $INSTDIR $3
  ${EndIf}
  ${If} $4 != ""
    StrCpy $INSTDIR $4
  ${EndIf}
FunctionEnd

; ---- placing the files ----------------------------------------------------------------------------------

; A file that is in use (the screen saver running) cannot be replaced: found before anything changes.
!macro CheckWritable NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${NAME}" a
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "Setup cannot replace $INSTDIR\${NAME}: it is in use. End Pictavo (move the mouse if the screen saver is showing), close its settings, and run Setup again." /SD IDOK
      Abort "$INSTDIR\${NAME} is in use; nothing was changed."
    ${EndIf}
    FileClose $0
  ${EndIf}
!macroend

; The earlier installation's file is set aside until the new one is in place.
!macro SetAside NAME
  Delete "$INSTDIR\${NAME}.old"
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    Rename "$INSTDIR\${NAME}" "$INSTDIR\${NAME}.old"
  ${EndIf}
!macroend

!macro Place NAME
  ${If} ${RunningX64}
    File "/oname=${NAME}" "${STAGE_X64}\${NAME}"
  ${Else}
    File "/oname=${NAME}" "${STAGE_X86}\${NAME}"
  ${EndIf}
!macroend

!macro DropAside NAME
  Delete /REBOOTOK "$INSTDIR\${NAME}.old"
!macroend

; After a failure: the new file goes, the earlier one comes back.
!macro PutBack NAME
  Delete "$INSTDIR\${NAME}"
  ${If} ${FileExists} "$INSTDIR\${NAME}.old"
    Rename "$INSTDIR\${NAME}.old" "$INSTDIR\${NAME}"
  ${EndIf}
!macroend

!macro RemoveInstalled NAME
  Delete "$INSTDIR\${NAME}"
!macroend

; The system folder's copy (64-bit on 64-bit Windows, so the folder is seen without WOW64's redirection).
; Set aside by moving it into the program folder, which Windows allows also while it runs; a copy that
; cannot be moved changes nothing.
Function SetSystemCopyAside
  ${DisableX64FSRedirection}
  StrCpy $0 "1"
  ${If} ${FileExists} "${SYSTEM_COPY}"
    Delete "${SYSTEM_ASIDE}"
    ClearErrors
    Rename "${SYSTEM_COPY}" "${SYSTEM_ASIDE}"
    ${If} ${Errors}
      StrCpy $0 "0"
    ${Else}
      StrCpy $SystemAside "1"
    ${EndIf}
  ${EndIf}
  ${EnableX64FSRedirection}
  ${If} $0 == "0"
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot replace ${SYSTEM_COPY}. End Pictavo (move the mouse if the screen saver is showing), close its settings, and run Setup again." /SD IDOK
    Abort "${SYSTEM_COPY} cannot be replaced; nothing was changed."
  ${EndIf}
FunctionEnd

Function PlaceSystemCopy
  ${DisableX64FSRedirection}
  ${If} ${RunningX64}
    File "/oname=${SYSTEM_COPY}" "${STAGE_X64}\Pictavo.scr"
  ${Else}
    File "/oname=${SYSTEM_COPY}" "${STAGE_X86}\Pictavo.scr"
  ${EndIf}
  ${EnableX64FSRedirection}
FunctionEnd

; Windows' own "Install" command keeps the short (8.3) path, and a path with a space can stop the saver from
; starting: the short one where the long one holds a space and the volume gives short names.
Function ShortenScreenSaverPath
  ${StrStr} $0 $ScreenSaver " "
  ${If} $0 != ""
    GetFullPathName /SHORT $1 $ScreenSaver
    ${StrStr} $0 $1 " "
    ${If} $1 != ""
    ${AndIf} $0 == ""
      StrCpy $ScreenSaver $1
    ${EndIf}
  ${EndIf}
FunctionEnd

!macro WriteEntry ROOT
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayName" "Pictavo"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "Publisher" "the Pictavo developers"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Pictavo.scr,0"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "NoRepair" 1
!macroend

Section "Pictavo"
  SetOutPath "$INSTDIR"
  ClearErrors
  CreateDirectory "$INSTDIR"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot create the folder $INSTDIR." /SD IDOK
    Abort "The folder $INSTDIR could not be created; nothing was changed."
  ${EndIf}
  !insertmacro PictavoFiles CheckWritable
  !insertmacro CheckWritable "uninstall.exe"

  StrCpy $Replacing "1"
  ${If} $AllUsers == "1"
    Call SetSystemCopyAside
  ${EndIf}
  !insertmacro PictavoFiles SetAside
  !insertmacro SetAside "uninstall.exe"
  !insertmacro PictavoFiles Place
  ClearErrors
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot write $INSTDIR\uninstall.exe." /SD IDOK
    Abort "$INSTDIR\uninstall.exe could not be written; the earlier files were put back."
  ${EndIf}
  ${If} $AllUsers == "1"
    Call PlaceSystemCopy
  ${EndIf}
  !insertmacro PictavoFiles DropAside
  !insertmacro DropAside "uninstall.exe"
  Delete /REBOOTOK "${SYSTEM_ASIDE}"
  StrCpy $Replacing "0"

  ; The entry in Windows' list of installed apps: one, whatever was there before.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $2 $3
  ${If} $AllUsers == "1"
    !insertmacro WriteEntry HKLM
    WriteRegStr HKLM "${SETUP_KEY}" "InstallDir" "$INSTDIR"
    StrCpy $ScreenSaver "${SYSTEM_COPY}"
    StrCpy $FinishText "Pictavo is installed in $INSTDIR. Your screen saver is its copy in the system folder, which stays in Windows' list of screen savers:$\r$\n${SYSTEM_COPY}$\r$\n$\r$\nIn the screen saver settings, click Settings... to choose your images directory and make your first collection."
  ${Else}
    !insertmacro WriteEntry HKCU
    StrCpy $ScreenSaver "$INSTDIR\Pictavo.scr"
    ; Windows lists only the savers of its system folder and the one chosen now: this entry brings Pictavo
    ; back after another one was chosen, with Windows' own "Install" command.
    CreateShortCut "${SHORTCUT}" "$SYSDIR\rundll32.exe" "desk.cpl,InstallScreenSaver $INSTDIR\Pictavo.scr" \
                   "$INSTDIR\Pictavo.scr" 0 SW_SHOWNORMAL "" "Makes Pictavo your screen saver again"
    StrCpy $FinishText "Pictavo is installed in $INSTDIR and is now your screen saver. If you choose another one, $\"Pictavo screen saver$\" in the Start menu makes it Pictavo again.$\r$\n$\r$\nIn the screen saver settings, click Settings... to choose your images directory and make your first collection."
  ${EndIf}

  ; Pictavo becomes the current user's screen saver, as Windows' own Install command does it.
  Call ShortenScreenSaverPath
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$ScreenSaver"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i 3)'
SectionEnd


Function .onInstFailed
  ${If} $Replacing == "1"
    !insertmacro PictavoFiles PutBack
    !insertmacro PutBack "uninstall.exe"
  ${EndIf}
  ${If} $SystemAside == "1"
    ${DisableX64FSRedirection}
    Delete "${SYSTEM_COPY}"
    Rename "${SYSTEM_ASIDE}" "${SYSTEM_COPY}"
    ${EnableX64FSRedirection}
  ${EndIf}
  RMDir "$INSTDIR"
FunctionEnd

Function OpenScreenSaverSettings
  ${DisableX64FSRedirection}
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
  ${EnableX64FSRedirection}
FunctionEnd

; ---- the uninstaller ------------------------------------------------------------------------------------

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  StrCpy $AllUsers "0"
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers "1"
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "Pictavo was installed for all users of this computer: only an administrator can remove it." /SD IDOK
      Abort
    ${EndIf}
    SetShellVarContext all
  ${EndIf}
FunctionEnd

; $R1 is "1" when the file $R0 is this version of Pictavo, as its version resource says.
Function un.IsThisPictavo
  StrCpy $R1 ""
  ClearErrors
  GetDLLVersion $R0 $R2 $R3
  ${If} ${Errors}
  ${OrIf} $R2 <> ${VERSION_HIGH_WORD}
  ${OrIf} $R3 <> ${VERSION_LOW_WORD}
    Return
  ${EndIf}
  System::Call 'version::GetFileVersionInfoSizeW(w R0, *i .R4) i .R2'
  ${If} $R2 <= 0
    Return
  ${EndIf}
  System::Alloc $R2
  Pop $R3
  System::Call 'version::GetFileVersionInfoW(w R0, i 0, i R2, p R3) i .R4'
  System::Call 'version::VerQueryValueW(p R3, w "\StringFileInfo\040904B0\ProductName", *p .R5, *i .R6) i .R2'
  ${If} $R4 <> 0
  ${AndIf} $R2 <> 0
  ${AndIf} $R6 > 0
    System::Call '*$R5(&w$R6 .R7)'
    ${If} $R7 == "Pictavo"
      StrCpy $R1 "1"
    ${EndIf}
  ${EndIf}
  System::Free $R3
FunctionEnd

Section "Uninstall"
  ; The screen-saver choice goes only while it names this Pictavo: its program folder's copy or, installed for
  ; all users, the system folder's, either of them long or short.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "$INSTDIR\Pictavo.scr"
  StrCpy $2 "$INSTDIR\Pictavo.scr"
  StrCpy $3 $1
  ${If} $AllUsers == "1"
    ${DisableX64FSRedirection}
    StrCpy $2 "${SYSTEM_COPY}"
    GetFullPathName /SHORT $3 "${SYSTEM_COPY}"
    ${EnableX64FSRedirection}
  ${EndIf}
  ${If} $0 != ""
    ${If} $0 == "$INSTDIR\Pictavo.scr"
    ${OrIf} $0 == $1
    ${OrIf} $0 == $2
    ${OrIf} $0 == $3
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}

  ${If} $AllUsers == "1"
    ; The system folder's copy goes only when it is this Pictavo's (not some other program's of that name).
    ; Its version is read through version.dll, loaded first: without WOW64's redirection a 32-bit uninstaller
    ; would look for it among the 64-bit DLLs.
    System::Call 'kernel32::LoadLibraryW(w "version.dll") p'
    ${DisableX64FSRedirection}
    StrCpy $R0 "${SYSTEM_COPY}"
    Call un.IsThisPictavo
    ${If} $R1 == "1"
      Delete /REBOOTOK "${SYSTEM_COPY}"
    ${EndIf}
    ${EnableX64FSRedirection}
    Delete /REBOOTOK "${SYSTEM_ASIDE}"
    ReadRegStr $0 HKLM "${SETUP_KEY}" "InstallDir"
    ${If} $0 == $INSTDIR
      DeleteRegKey HKLM "${SETUP_KEY}"
    ${EndIf}
  ${Else}
    Delete "${SHORTCUT}"
  ${EndIf}

  ; Only what Setup put here goes; the images directory, the collections and the settings stay.
  !insertmacro PictavoFiles RemoveInstalled
  !insertmacro PictavoFiles DropAside
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
