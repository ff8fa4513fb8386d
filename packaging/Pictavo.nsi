; Pictavo's installer: both Windows builds in one setup program; the one that fits the machine is installed.
;
;   makensis -DVERSION=1.0.0 -DSTAGE_X64=dir -DSTAGE_X86=dir -DFILES=files.nsh -DICON=Pictavo.ico -DWIZARD=side.bmp
;            -DOUTFILE=setup.exe Pictavo.nsi
;
; STAGE_X64 and STAGE_X86 hold what `cmake --install` put there for each build; FILES defines the macro
; PictavoFiles, which names every file installed beside Pictavo.scr. -DTARGET_AMD64 builds the same installer
; as a 64-bit program (the released one is 32-bit, so that it starts on every Windows).
;
; Elevated, it installs for all users into the program folder; otherwise for the current user into
; %LOCALAPPDATA%\Programs. /CurrentUser installs for the current user even when elevated. /S is silent.

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
!include ${FILES}

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pictavo"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17

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

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Setup will install Pictavo ${VERSION}, a photographic screen saver, and make it your screen saver.$\r$\n$\r$\nIf Pictavo is running, end it before you continue.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_TEXT "Pictavo is installed and is now your screen saver.$\r$\n$\r$\nIn the screen saver settings, click Settings... to choose your images directory and make your first collection."
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

Var AllUsers      ; "1" when installing for every user of the machine
Var Replacing     ; "1" while files of an earlier installation are set aside as *.old

; ---- where to install -----------------------------------------------------------------------------------

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
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
  ; An update goes where the earlier version is.
  ${If} $3 != ""
    StrCpy $INSTDIR $3
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
  !insertmacro PictavoFiles SetAside
  !insertmacro SetAside "uninstall.exe"
  !insertmacro PictavoFiles Place
  ClearErrors
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot write $INSTDIR\uninstall.exe." /SD IDOK
    Abort "$INSTDIR\uninstall.exe could not be written; the earlier files were put back."
  ${EndIf}
  !insertmacro PictavoFiles DropAside
  !insertmacro DropAside "uninstall.exe"
  StrCpy $Replacing "0"

  ; The entry in Windows' list of installed apps: one, whatever was there before.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $2 $3
  ${If} $AllUsers == "1"
    !insertmacro WriteEntry HKLM
  ${Else}
    !insertmacro WriteEntry HKCU
  ${EndIf}

  ; Pictavo becomes the current user's screen saver, as Windows' own Install command does it.
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$INSTDIR\Pictavo.scr"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i 3)'
SectionEnd


Function .onInstFailed
  ${If} $Replacing == "1"
    !insertmacro PictavoFiles PutBack
    !insertmacro PutBack "uninstall.exe"
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
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "Pictavo was installed for all users of this computer: only an administrator can remove it." /SD IDOK
      Abort
    ${EndIf}
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; The screen-saver choice goes only while it still names this Pictavo.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "$INSTDIR\Pictavo.scr"
  ${If} $0 != ""
    ${If} $0 == "$INSTDIR\Pictavo.scr"
    ${OrIf} $0 == $1
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
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
