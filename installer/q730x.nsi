; The Windows installer of the Q730X Keyboard Utility, built by makensis from
; the build's deployable folder:
;   makensis -DDIST=<dist folder> -DOUTFILE=<setup.exe> -DVERSION=<x.y.z> q730x.nsi
; It installs the program folder into Program Files, adds a Start-menu entry
; and an uninstaller, and starts the utility with Windows. The language chosen
; at the start becomes the utility's language too.
;
; Silent use: setup.exe /S [/LANGUAGE=zh-CN] [/D=C:\other folder]
;             Uninstall.exe /S [/REMOVESETTINGS]   (silently, settings are kept unless asked)

; A 64-bit installer for a 64-bit program (and it runs where only 64-bit Wine is).
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!ifndef DIST
  !error "DIST must name the build's deployable folder"
!endif
!ifndef OUTFILE
  !define OUTFILE "Q730X-Setup.exe"
!endif
!ifndef VERSION
  !define VERSION "1.0.0"
!endif

!define PRODUCT "Q730X Keyboard Utility"
!define PUBLISHER "KAVEX"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KavexQ730X"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Kavex Q730X"
!define SETTINGS_KEY "Software\KAVEX\Q730X"
!define MAIN_WINDOW_CLASS "Q730XMainWindow"
!define STARTMENU_FOLDER "$SMPROGRAMS\Kavex Q730X"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"
!include "LogicLib.nsh"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kavex\Q730X"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_ABORTWARNING
!define MUI_LANGDLL_ALLLANGUAGES
; The uninstaller speaks the language chosen at installation.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Q730X.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the default; each has a translation of the utility.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString RemoveSettings ${LANG_ENGLISH} "Also remove your profiles and macros?$\r$\n$\r$\nChoose No to keep them for a later installation."
LangString RemoveSettings ${LANG_SIMPCHINESE} "是否同时删除您的配置文件和宏？$\r$\n$\r$\n选择“否”可保留它们供以后安装使用。"

; Asks a running utility to close (everything it keeps is already stored, so
; nothing is lost) and waits until its process has ended, so that its files
; can be replaced or removed.
!macro CloseRunningUtility
  FindWindow $0 "${MAIN_WINDOW_CLASS}"
  ${If} $0 <> 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'  ; SYNCHRONIZE
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${If} $2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 20000)'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${Else}
      Sleep 3000
    ${EndIf}
  ${EndIf}
!macroend

Function .onInit
  SetRegView 64
  SetShellVarContext all  ; the Start-menu entry is for every user
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  ; /LANGUAGE=zh-CN chooses the translation without asking (silent installs).
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/LANGUAGE=" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == "zh-CN"
      StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
    ${Else}
      StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${EndIf}
  ${Else}
    !insertmacro MUI_LANGDLL_DISPLAY
  ${EndIf}
FunctionEnd

Section "Program" SecProgram
  SectionIn RO
  !insertmacro CloseRunningUtility
  SetOutPath "$INSTDIR"
  File "${DIST}\Q730X.exe"
  File "${DIST}\q730xctl.exe"
  File "${DIST}\HidBridge.dll"
  File "${DIST}\KeyTap.dll"
  File "${DIST}\ScreenClip.exe"
  File "${DIST}\Q730XVirtualKeyboard.exe"
  File "${DIST}\language.xml"
  SetOutPath "$INSTDIR\lang"
  File /r "${DIST}\lang\*.*"
  SetOutPath "$INSTDIR\skins"
  File /r "${DIST}\skins\*.*"
  SetOutPath "$INSTDIR\FWUpdate"
  File "${DIST}\FWUpdate\Q730XBurn.exe"
  CreateDirectory "$INSTDIR\profile"

  ; The chosen language becomes the utility's.
  ${If} $LANGUAGE == ${LANG_SIMPCHINESE}
    CopyFiles /SILENT "$INSTDIR\lang\zh-CN\language.xml" "$INSTDIR\language.xml"
  ${EndIf}

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateDirectory "${STARTMENU_FOLDER}"
  CreateShortcut "${STARTMENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\Q730X.exe"
  CreateShortcut "${STARTMENU_FOLDER}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

  ; The tray program starts with Windows.
  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Q730X.exe"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Q730X.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallerLanguage" $LANGUAGE  ; also when installed silently
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

; Removes exactly what the installer placed (and what the utility itself made
; in its own folders), never the folder as a whole: files a user put there stay.
Section "Uninstall"
  !insertmacro CloseRunningUtility
  Delete "$INSTDIR\Q730X.exe"
  Delete "$INSTDIR\q730xctl.exe"
  Delete "$INSTDIR\HidBridge.dll"
  Delete "$INSTDIR\KeyTap.dll"
  Delete "$INSTDIR\ScreenClip.exe"
  Delete "$INSTDIR\Q730XVirtualKeyboard.exe"
  Delete "$INSTDIR\language.xml"
  RMDir /r "$INSTDIR\lang"
  RMDir /r "$INSTDIR\skins"
  RMDir /r "$INSTDIR\FWUpdate"

  Delete "${STARTMENU_FOLDER}\${PRODUCT}.lnk"
  Delete "${STARTMENU_FOLDER}\Uninstall ${PRODUCT}.lnk"
  RMDir "${STARTMENU_FOLDER}"
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The profiles and macros are the user's: removed only when the user says so.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${If} ${Errors}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(RemoveSettings)" /SD IDNO IDNO keep_settings
  ${EndIf}
  RMDir /r "$INSTDIR\profile"
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "Software\KAVEX"
  keep_settings:

  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\Kavex"
SectionEnd
