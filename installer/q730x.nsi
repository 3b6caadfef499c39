; The Windows installer of the Q730X Keyboard Utility, built by makensis from
; the build's deployable folder:
;   makensis -DDIST=<dist folder> -DOUTFILE=<setup.exe> -DVERSION=<x.y.z> q730x.nsi
; It installs the program folder into Program Files, adds a Start-menu entry
; and an uninstaller, and starts the utility at every logon through a task of
; the Task Scheduler. The language chosen at the start becomes the utility's
; language too.
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
; Older versions started the utility from this Run value. Windows never starts
; a program that asks for elevation from there, so the logon task replaces it.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Kavex Q730X"
; The logon task, and its definition as registered (kept for the administrator).
!define LOGON_TASK "Kavex Q730X"
!define LOGON_TASK_FILE "logon-task.xml"
!define SETTINGS_KEY "Software\KAVEX\Q730X"
!define MAIN_WINDOW_CLASS "Q730XMainWindow"
!define STARTMENU_FOLDER "$SMPROGRAMS\Kavex Q730X"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"
!include "LogicLib.nsh"
!include "WordFunc.nsh"

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
LangString TaskFailed ${LANG_ENGLISH} "The utility could not be set to start when you log on (Task Scheduler error $0).$\r$\n$\r$\nStart it from the Start menu, or install again."
LangString TaskFailed ${LANG_SIMPCHINESE} "无法将本工具设置为登录时自动启动（任务计划程序错误 $0）。$\r$\n$\r$\n请从“开始”菜单启动它，或重新安装。"
LangString FolderNotProtected ${LANG_ENGLISH} "The permissions of $INSTDIR could not be limited to administrators (error $0), so nothing was installed: other users of this computer could have changed the utility's files there, which runs with administrator rights. Choose a folder below Program Files."
LangString FolderNotProtected ${LANG_SIMPCHINESE} "无法将 $INSTDIR 的权限限制为仅管理员可写（错误 $0），因此未安装任何内容：此计算机的其他用户可能更改其中以管理员权限运行的工具文件。请选择 Program Files 下的文件夹。"
LangString FolderNotEmpty ${LANG_ENGLISH} "$INSTDIR already holds files, so nothing was installed. A folder outside Program Files may have been prepared by another user, and files placed there beforehand would be loaded by the utility, which runs with administrator rights. Choose an empty or new folder, or one below Program Files."
LangString FolderNotEmpty ${LANG_SIMPCHINESE} "$INSTDIR 中已有文件，因此未安装任何内容。Program Files 之外的文件夹可能由其他用户事先准备，其中预先放置的文件会被以管理员权限运行的工具加载。请选择空的或新的文件夹，或 Program Files 下的文件夹。"
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

; Writes the logon task's definition into the installer's own temporary
; folder ($PLUGINSDIR, which only this installation can write), as UTF-16 with
; a byte-order mark (what the Task Scheduler reads): any user's logon starts
; the installed utility with the highest rights that user has, in the user's
; own session (the group principal Users runs with the interactive token of
; whoever logs on), without a time limit (the default would end the utility
; after three days), whatever the battery, once, at normal priority.
Function WriteLogonTask
  ${WordReplace} "$INSTDIR" "&" "&amp;" "+" $R1  ; the folder as XML text
  InitPluginsDir
  FileOpen $R0 "$PLUGINSDIR\${LOGON_TASK_FILE}" w
  FileWriteUTF16LE /BOM $R0 '<?xml version="1.0" encoding="UTF-16"?>$\r$\n'
  FileWriteUTF16LE $R0 '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">$\r$\n'
  FileWriteUTF16LE $R0 '  <RegistrationInfo>$\r$\n'
  FileWriteUTF16LE $R0 '    <Author>${PUBLISHER}</Author>$\r$\n'
  FileWriteUTF16LE $R0 '    <Description>Starts the ${PRODUCT} when a user logs on.</Description>$\r$\n'
  FileWriteUTF16LE $R0 '  </RegistrationInfo>$\r$\n'
  FileWriteUTF16LE $R0 '  <Triggers>$\r$\n'
  FileWriteUTF16LE $R0 '    <LogonTrigger>$\r$\n'
  FileWriteUTF16LE $R0 '      <Enabled>true</Enabled>$\r$\n'
  FileWriteUTF16LE $R0 '    </LogonTrigger>$\r$\n'
  FileWriteUTF16LE $R0 '  </Triggers>$\r$\n'
  FileWriteUTF16LE $R0 '  <Principals>$\r$\n'
  FileWriteUTF16LE $R0 '    <Principal id="Author">$\r$\n'
  FileWriteUTF16LE $R0 '      <GroupId>S-1-5-32-545</GroupId>$\r$\n'
  FileWriteUTF16LE $R0 '      <RunLevel>HighestAvailable</RunLevel>$\r$\n'
  FileWriteUTF16LE $R0 '    </Principal>$\r$\n'
  FileWriteUTF16LE $R0 '  </Principals>$\r$\n'
  FileWriteUTF16LE $R0 '  <Settings>$\r$\n'
  FileWriteUTF16LE $R0 '    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>$\r$\n'
  FileWriteUTF16LE $R0 '    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>$\r$\n'
  FileWriteUTF16LE $R0 '    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>$\r$\n'
  FileWriteUTF16LE $R0 '    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>$\r$\n'
  FileWriteUTF16LE $R0 '    <Priority>5</Priority>$\r$\n'
  FileWriteUTF16LE $R0 '    <Enabled>true</Enabled>$\r$\n'
  FileWriteUTF16LE $R0 '    <AllowStartOnDemand>true</AllowStartOnDemand>$\r$\n'
  FileWriteUTF16LE $R0 '  </Settings>$\r$\n'
  FileWriteUTF16LE $R0 '  <Actions Context="Author">$\r$\n'
  FileWriteUTF16LE $R0 '    <Exec>$\r$\n'
  FileWriteUTF16LE $R0 '      <Command>$R1\Q730X.exe</Command>$\r$\n'
  FileWriteUTF16LE $R0 '      <WorkingDirectory>$R1</WorkingDirectory>$\r$\n'
  FileWriteUTF16LE $R0 '    </Exec>$\r$\n'
  FileWriteUTF16LE $R0 '  </Actions>$\r$\n'
  FileWriteUTF16LE $R0 '</Task>$\r$\n'
  FileClose $R0
FunctionEnd

; Registers the logon task (replacing one an earlier installation made) and
; tells the user when the Task Scheduler refuses it. A copy of the definition
; is kept in the program folder, to show what was registered.
Function RegisterLogonTask
  Call WriteLogonTask
  nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /Create /F /TN "${LOGON_TASK}" /XML "$PLUGINSDIR\${LOGON_TASK_FILE}"'
  Pop $0
  ${If} $0 != 0
    DetailPrint "schtasks /Create ended with $0"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(TaskFailed)" /SD IDOK
  ${EndIf}
  CopyFiles /SILENT "$PLUGINSDIR\${LOGON_TASK_FILE}" "$INSTDIR\${LOGON_TASK_FILE}"
FunctionEnd

; Sets $R0 to 1 when the full path $R1 is the folder given or lies below it.
!macro SetIfBelow folder
  StrLen $R2 "${folder}"
  StrCpy $R3 "$R1" $R2      ; as long as the folder's path (compared ignoring case)
  StrCpy $R4 "$R1" 1 $R2    ; the character after it
  ${If} $R3 == "${folder}"
    ${If} $R4 == ""
    ${OrIf} $R4 == "\"
      StrCpy $R0 1
    ${EndIf}
  ${EndIf}
!macroend

; Sets $R0 to 1 when $INSTDIR lies below Program Files.
Function IsBelowProgramFiles
  GetFullPathName $R1 "$INSTDIR"
  StrCpy $R0 0
  !insertmacro SetIfBelow "$PROGRAMFILES64"
  !insertmacro SetIfBelow "$PROGRAMFILES32"
FunctionEnd

; A folder outside Program Files may have been made beforehand by any user,
; who would then own it, may have given himself rights on it, and may have
; put files in it (a winmm.dll or wtsapi32.dll beside Q730X.exe would be
; loaded by the elevated utility). Such a folder is used only when it is new
; or empty, or when it is the folder this utility was installed in before
; (which that installation protected). Otherwise the installation stops here,
; before anything is written, and says why.
Function RefusePreparedFolder
  Call IsBelowProgramFiles
  ${If} $R0 == 1
  ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
    Return
  ${EndIf}
  ReadRegStr $R2 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R2 == "$INSTDIR"
    Return
  ${EndIf}
  FindFirst $R3 $R4 "$INSTDIR\*.*"
  ${DoWhile} $R4 != ""
    ${If} $R4 != "."
    ${AndIf} $R4 != ".."
      FindClose $R3
      DetailPrint "$INSTDIR holds $R4: not installed"
      MessageBox MB_OK|MB_ICONSTOP "$(FolderNotEmpty)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    FindNext $R3 $R4
  ${Loop}
  FindClose $R3
FunctionEnd

; A folder below Program Files inherits its protection: only administrators
; (and the system) may change what is there. A folder outside it gets that
; protection here, complete: owned by the Administrators (an owner may always
; change the permissions), and a protected DACL of exactly three entries,
; Administrators and SYSTEM full control, Users read and run, inherited by
; all it will hold; nothing inherited from above and no other entry, whoever
; made the folder. When the owner or the DACL cannot be set, nothing is
; installed. /TESTPROTECTFAIL plays that failure (it can only stop an
; installation).
Function ProtectInstallFolder
  Call IsBelowProgramFiles
  ${If} $R0 == 1
    Return
  ${EndIf}
  StrCpy $0 0
  ${GetParameters} $R5
  ClearErrors
  ${GetOptions} $R5 "/TESTPROTECTFAIL" $R6
  ${IfNot} ${Errors}
    StrCpy $0 5  ; ERROR_ACCESS_DENIED
  ${Else}
    System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)", i 1, *p .R7, p 0) i .R6'
    ${If} $R6 == 0
      System::Call 'kernel32::GetLastError() i .r0'
    ${Else}
      System::Call 'advapi32::GetSecurityDescriptorOwner(p R7, *p .R8, *i .R9) i .R6'
      System::Call 'advapi32::GetSecurityDescriptorDacl(p R7, *i .R9, *p .R2, *i .R3) i .R6'
      ; OWNER | DACL | PROTECTED_DACL: the folder's whole DACL is replaced.
      System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000005, p R8, p 0, p R2, p 0) i .r0'
      System::Call 'kernel32::LocalFree(p R7)'
    ${EndIf}
  ${EndIf}
  ${If} $0 != 0
    DetailPrint "the permissions of $INSTDIR could not be set: error $0"
    MessageBox MB_OK|MB_ICONSTOP "$(FolderNotProtected)" /SD IDOK
    RMDir "$INSTDIR"  ; made just now, and still empty
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

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
  Call RefusePreparedFolder
  !insertmacro CloseRunningUtility
  CreateDirectory "$INSTDIR"
  Call ProtectInstallFolder
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

  ; The tray program starts at every logon, through the Task Scheduler; the
  ; Run value of an older version would never start it.
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  Call RegisterLogonTask

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
  Delete "$INSTDIR\${LOGON_TASK_FILE}"
  RMDir /r "$INSTDIR\lang"
  RMDir /r "$INSTDIR\skins"
  RMDir /r "$INSTDIR\FWUpdate"

  Delete "${STARTMENU_FOLDER}\${PRODUCT}.lnk"
  Delete "${STARTMENU_FOLDER}\Uninstall ${PRODUCT}.lnk"
  RMDir "${STARTMENU_FOLDER}"
  nsExec::ExecToLog '"$SYSDIR\schtasks.exe" /Delete /F /TN "${LOGON_TASK}"'
  Pop $0
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"  ; left by an older version
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
  DeleteRegKey HKLM "${SETTINGS_KEY}-Overrides"  ; switches a developer set
  DeleteRegKey /ifempty HKLM "Software\KAVEX"
  keep_settings:

  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\Kavex"
SectionEnd
