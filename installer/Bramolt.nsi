; Setup of the Bramolt automation server: BramoltSetup.exe.
;
; Run elevated, it installs for every user into Program Files and registers the server
; machine-wide (Bramolt.exe /regserver); otherwise it installs for the current user into
; the local application data folder and registers per user (/regserverperuser).
; /CurrentUser chooses the per-user installation also when elevated, /AllUsers insists on
; the machine-wide one. /S installs silently; Setup then fails with exit code 2 where it
; would have asked the user something.
;
; Installing again replaces the installation in place: a running server of the folder is
; asked to end, an installation of the other kind or in another folder is uninstalled first,
; so that the class is registered once. A file still in use fails Setup with exit code 2.
;
; makensis defines: VERSION (1.0.002), SERVER_EXE (path of Bramolt.exe), OPENSSL_DIR
; (folder with libssl-3-x64.dll and libcrypto-3-x64.dll), OUTFILE.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Bramolt"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Bramolt"
!define UNINSTALLER "Uninstall Bramolt.exe"
!define SERVER_WINDOW_CLASS "TFormMain"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var MachineWide ; 1: Program Files and /regserver; 0: local application data and /regserverperuser

; How long a running server is given to end after it was asked to. It ends once the calls
; in progress have returned, which is seconds for everything but mail sent to a slow mail
; server; a server still running after that is stuck and is ended by force. A process that
; cannot be ended even then (another user's, without the right to end it) is reported.
!define SERVER_END_SECONDS 120
!define SERVER_KILL_SECONDS 10

Var ServerFolder ; the installation folder whose servers StopServers ends
Var ServerImage ; long path of $ServerFolder\Bramolt.exe; "" when there is no such file
Var ServerAction ; what VisitServers does to each server: count, quit or terminate
Var ServerCount ; how many servers VisitServers found
Var Remained ; the files of the installation that could not be removed, one a line

; Reports a failure (the text is on the stack): in the details, and on the standard error
; of a silent run, where deployment tools collect it beside the exit code.
!macro DEFINE_REPORT prefix
Function ${prefix}Report
  Exch $R0
  Push $R1
  Push $R2
  Push $R3
  DetailPrint $R0
  System::Call 'kernel32::GetStdHandle(i -12) p .R1'
  ${If} $R1 P<> 0
    StrCpy $R0 "$R0$\r$\n"
    System::Call 'kernel32::WideCharToMultiByte(i 65001, i 0, w R0, i -1, p 0, i 0, p 0, p 0) i .R2'
    System::Alloc $R2
    Pop $R3
    System::Call 'kernel32::WideCharToMultiByte(i 65001, i 0, w R0, i -1, p R3, i R2, p 0, p 0)'
    ; Without the terminating NUL.
    IntOp $R2 $R2 - 1
    System::Call 'kernel32::WriteFile(p R1, p R3, i R2, *i 0, p 0)'
    System::Free $R3
  ${EndIf}
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd
!macroend
!insertmacro DEFINE_REPORT ""
!insertmacro DEFINE_REPORT "un."

; The servers of this folder are found by the image path of their processes, not by their
; window: a server started by COM for a service or in another session has no window on
; this desktop, and a server of another folder (another installation, a developer's build)
; is not ours to end.
!macro DEFINE_STOP_SERVERS prefix
Function ${prefix}FindServerImage
  StrCpy $ServerImage ""
  ${If} ${FileExists} "$ServerFolder\Bramolt.exe"
    System::Call 'kernel32::GetLongPathNameW(w "$ServerFolder\Bramolt.exe", w .R0, i ${NSIS_MAX_STRLEN}) i .R1'
    ${If} $R1 != 0
      StrCpy $ServerImage $R0
    ${EndIf}
  ${EndIf}
FunctionEnd

; Does $ServerAction to every process whose image is $ServerImage; sets $ServerCount.
; The comparison is on long paths: COM starts the server through the short path it
; registered.
Function ${prefix}VisitServers
  StrCpy $ServerCount 0
  ${If} $ServerImage == ""
    Return
  ${EndIf}
  System::Alloc 65536
  Pop $R0
  System::Call 'kernel32::K32EnumProcesses(p R0, i 65536, *i .R1) i .R2'
  ${If} $R2 != 0
    StrCpy $R3 0
    ${DoWhile} $R3 < $R1
      IntPtrOp $R4 $R0 + $R3
      System::Call '*$R4(i .R5)'
      IntOp $R3 $R3 + 4
      ; PROCESS_QUERY_LIMITED_INFORMATION
      System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i R5) p .R6'
      ${If} $R6 P<> 0
        System::Call 'kernel32::QueryFullProcessImageNameW(p R6, i 0, w .R7, *i ${NSIS_MAX_STRLEN}) i .R8'
        System::Call 'kernel32::CloseHandle(p R6)'
        ${If} $R8 != 0
          System::Call 'kernel32::GetLongPathNameW(w R7, w .R6, i ${NSIS_MAX_STRLEN}) i .R8'
          ${If} $R8 != 0
            StrCpy $R7 $R6
          ${EndIf}
          ${If} $R7 == $ServerImage
            IntOp $ServerCount $ServerCount + 1
            ${If} $ServerAction == "quit"
              Call ${prefix}PostQuitToServer
            ${ElseIf} $ServerAction == "terminate"
              ; PROCESS_TERMINATE
              System::Call 'kernel32::OpenProcess(i 1, i 0, i R5) p .R6'
              ${If} $R6 P<> 0
                System::Call 'kernel32::TerminateProcess(p R6, i 1)'
                System::Call 'kernel32::CloseHandle(p R6)'
              ${EndIf}
            ${EndIf}
          ${EndIf}
        ${EndIf}
      ${EndIf}
    ${Loop}
  ${EndIf}
  System::Free $R0
FunctionEnd

; Asks the server of process $R5 to end as COM would after its last client: WM_QUIT to the
; thread of its main window ends its message loop. A server without a window gets WM_QUIT
; on every thread: only its main thread has a message loop.
Function ${prefix}PostQuitToServer
  StrCpy $R9 0
  StrCpy $R8 0
  ${Do}
    FindWindow $R8 "${SERVER_WINDOW_CLASS}" "" "" $R8
    ${If} $R8 == 0
      ${ExitDo}
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p R8, *i .R7) i .R6'
    ${If} $R7 == $R5
      System::Call 'user32::PostThreadMessageW(i R6, i 0x12, p 0, p 0)'
      StrCpy $R9 1
    ${EndIf}
  ${Loop}
  ${If} $R9 == 1
    Return
  ${EndIf}
  ; TH32CS_SNAPTHREAD; THREADENTRY32 is 28 bytes: dwSize, cntUsage, th32ThreadID, th32OwnerProcessID, ...
  System::Call 'kernel32::CreateToolhelp32Snapshot(i 4, i 0) p .R6'
  ${If} $R6 != -1
    System::Call '*(i 28, i 0, i 0, i 0, i 0, i 0, i 0) p .R7'
    System::Call 'kernel32::Thread32First(p R6, p R7) i .R8'
    ${DoWhile} $R8 != 0
      System::Call '*$R7(i, i, i .R2, i .R4)'
      ${If} $R4 == $R5
        System::Call 'user32::PostThreadMessageW(i R2, i 0x12, p 0, p 0)'
      ${EndIf}
      System::Call 'kernel32::Thread32Next(p R6, p R7) i .R8'
    ${Loop}
    System::Free $R7
    System::Call 'kernel32::CloseHandle(p R6)'
  ${EndIf}
FunctionEnd

; Waits up to $R9 seconds until no server of this folder runs (the processes, not only
; their windows: the window goes before the process has let go of its files).
Function ${prefix}WaitForServers
  IntOp $R9 $R9 * 4
  ${Do}
    StrCpy $ServerAction "count"
    Call ${prefix}VisitServers
    ${If} $ServerCount == 0
    ${OrIf} $R9 <= 0
      Return
    ${EndIf}
    Sleep 250
    IntOp $R9 $R9 - 1
  ${Loop}
FunctionEnd

; Ends every running server of $ServerFolder: its message loop is asked to quit, as when the
; process was started by COM and lost its last client; one that has not ended after
; SERVER_END_SECONDS is ended by force. Clients that still hold objects lose them, so the
; user is asked first. A server that cannot be ended fails the run with exit code 2.
Function ${prefix}StopServers
  Call ${prefix}FindServerImage
  StrCpy $ServerAction "count"
  Call ${prefix}VisitServers
  ${If} $ServerCount == 0
    Return
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "Bramolt is running. Scripts that are using it now will lose their objects when it ends.$\n$\nOK ends it, Cancel stops." /SD IDOK IDOK stop
  SetErrorLevel 2
  Quit
stop:
  ${Do}
    DetailPrint "Asking the running Bramolt server to end; it first finishes the calls in progress"
    StrCpy $ServerAction "quit"
    Call ${prefix}VisitServers
    StrCpy $R9 ${SERVER_END_SECONDS}
    Call ${prefix}WaitForServers
    ${If} $ServerCount == 0
      Return
    ${EndIf}
    DetailPrint "Bramolt did not end within ${SERVER_END_SECONDS} seconds: ending it by force"
    StrCpy $ServerAction "terminate"
    Call ${prefix}VisitServers
    StrCpy $R9 ${SERVER_KILL_SECONDS}
    Call ${prefix}WaitForServers
    ${If} $ServerCount == 0
      Return
    ${EndIf}
    Push "$ServerImage is still running and could not be ended"
    Call ${prefix}Report
    MessageBox MB_RETRYCANCEL|MB_ICONSTOP "$ServerImage is still running and could not be ended. Close it with Salir in the menu of its tray icon, then choose Retry." /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_STOP_SERVERS ""
!insertmacro DEFINE_STOP_SERVERS "un."

; Runs Bramolt.exe with a registration switch; fails Setup when the server reports an error.
!macro RUN_SERVER switch
  DetailPrint "Bramolt.exe ${switch}"
  ClearErrors
  ExecWait '"$INSTDIR\Bramolt.exe" ${switch}' $0
  ${If} ${Errors}
  ${OrIf} $0 != 0
    MessageBox MB_OK|MB_ICONSTOP "Bramolt.exe ${switch} failed (exit code $0)." /SD IDOK
    SetErrorLevel 1
    Quit
  ${EndIf}
!macroend

Function .onInit
  SetRegView 64
  ${GetParameters} $R0
  UserInfo::GetAccountType
  Pop $R1
  StrCpy $MachineWide 0
  ${If} $R1 == "Admin"
    StrCpy $MachineWide 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CurrentUser" $R2
  ${IfNot} ${Errors}
    StrCpy $MachineWide 0
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R2
  ${IfNot} ${Errors}
    ${If} $R1 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "/AllUsers needs Setup to run as administrator." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    StrCpy $MachineWide 1
  ${EndIf}
  ${If} $MachineWide == 1
    SetShellVarContext all
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${Else}
    SetShellVarContext current
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${EndIf}
FunctionEnd

; An earlier installation in another folder or of the other kind goes first, through its
; own uninstaller, so that only one registration of the class remains. A copy of that
; uninstaller runs from outside the folder, so that it can remove the whole folder and its
; exit code is its own; its server still running, or a file it left, stops Setup.
!macro REMOVE_OTHER_INSTALLATION root machineWide
  ReadRegStr $1 ${root} "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 != ""
  ${AndIf} ${FileExists} "$1\${UNINSTALLER}"
    ${If} $1 != $INSTDIR
    ${OrIf} $MachineWide != ${machineWide}
      ; Its server is ended here, where the user is asked first; silent, its uninstaller would not ask.
      StrCpy $ServerFolder $1
      Call StopServers
      DetailPrint "Removing the installation in $1"
      InitPluginsDir
      CopyFiles /SILENT "$1\${UNINSTALLER}" "$PLUGINSDIR\uninstall-other.exe"
      ClearErrors
      ExecWait '"$PLUGINSDIR\uninstall-other.exe" /S _?=$1' $0
      ${If} ${Errors}
        StrCpy $0 "none"
      ${EndIf}
      Delete "$PLUGINSDIR\uninstall-other.exe"
      ; Uninstallers of earlier versions report a file they could not remove in no exit code.
      ${If} $0 != 0
      ${OrIf} ${FileExists} "$1\Bramolt.exe"
        Push "The installation in $1 could not be removed (exit code of its uninstaller: $0)"
        Call Report
        MessageBox MB_OK|MB_ICONSTOP "The installation of Bramolt in $1 could not be removed. Uninstall it from Add/Remove Programs, then run Setup again." /SD IDOK
        SetErrorLevel 2
        Quit
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

; Copies one file of the installation. A file still in use (a server of another user that
; could not be ended, a program that has a DLL open) is not replaced: then the user may
; close that program and retry; silent Setup fails and names the file.
!macro INSTALL_FILE source name
  ${Do}
    ClearErrors
    File "${source}"
    ${IfNot} ${Errors}
      ${ExitDo}
    ${EndIf}
    Push "$INSTDIR\${name} is in use and could not be replaced"
    Call Report
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONSTOP "$INSTDIR\${name} is in use. Close the program that uses it (Bramolt itself: Salir in the menu of its tray icon), then choose Retry." /SD IDCANCEL IDRETRY`
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${Loop}
!macroend

Section "Bramolt"
  SetRegView 64
  StrCpy $ServerFolder $INSTDIR
  Call StopServers
  !insertmacro REMOVE_OTHER_INSTALLATION HKLM 1
  !insertmacro REMOVE_OTHER_INSTALLATION HKCU 0

  SetOutPath "$INSTDIR"
  ; "try": a file in use sets the error flag instead of asking Abort/Retry/Ignore, which a
  ; silent Setup could not answer.
  SetOverwrite try
  !insertmacro INSTALL_FILE "${SERVER_EXE}" "Bramolt.exe"
  !insertmacro INSTALL_FILE "${OPENSSL_DIR}\libssl-3-x64.dll" "libssl-3-x64.dll"
  !insertmacro INSTALL_FILE "${OPENSSL_DIR}\libcrypto-3-x64.dll" "libcrypto-3-x64.dll"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ${If} $MachineWide == 1
    !insertmacro RUN_SERVER "/regserver"
  ${Else}
    !insertmacro RUN_SERVER "/regserverperuser"
  ${EndIf}

  ${GetSize} "$INSTDIR" "/S=0K" $3 $4 $5
  ; SHCTX is HKLM for a machine-wide installation and HKCU for a per-user one.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Bramolt.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $3
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetRegView 64
  ; The entry in HKLM that names this folder marks a machine-wide installation.
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  StrCpy $MachineWide 0
  ${If} $1 == $INSTDIR
    StrCpy $MachineWide 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

; Deletes the file on the stack and checks that it is gone: a file in use stays. The user
; may close what uses it and retry; otherwise it is reported and added to $Remained.
Function un.RemoveFile
  Exch $R0
  ${Do}
    Delete $R0
    ${IfNot} ${FileExists} $R0
      ${ExitDo}
    ${EndIf}
    Push "$R0 is in use and could not be removed"
    Call un.Report
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONSTOP "$R0 is in use and could not be removed. Close the program that uses it, then choose Retry." /SD IDCANCEL IDRETRY`
      StrCpy $Remained "$Remained$R0$\n"
      ${ExitDo}
    ${EndIf}
  ${Loop}
  Pop $R0
FunctionEnd

; Exit codes: 0 removed; 2 cancelled, or a server could not be ended, or a file or the
; folder stayed (each named on the standard error of a silent run). Whatever stays keeps
; the uninstaller and the Add/Remove Programs entry, so that it can run again.
Section "Uninstall"
  SetRegView 64
  StrCpy $ServerFolder $INSTDIR
  Call un.StopServers
  ${If} $MachineWide == 1
    ExecWait '"$INSTDIR\Bramolt.exe" /unregserver'
  ${Else}
    ExecWait '"$INSTDIR\Bramolt.exe" /unregserverperuser'
  ${EndIf}
  StrCpy $Remained ""
  Push "$INSTDIR\Bramolt.exe"
  Call un.RemoveFile
  Push "$INSTDIR\libssl-3-x64.dll"
  Call un.RemoveFile
  Push "$INSTDIR\libcrypto-3-x64.dll"
  Call un.RemoveFile
  ${If} $Remained != ""
    MessageBox MB_OK|MB_ICONSTOP "Bramolt was not completely removed. These files stayed:$\n$Remained$\nRun the uninstaller again once they are no longer in use." /SD IDOK
    SetErrorLevel 2
    Return
  ${EndIf}
  ; Run in place (_?= naming its own folder), the uninstaller cannot delete itself, nor
  ; the folder: whoever started it does that. Otherwise it runs from a copy elsewhere.
  ${If} $EXEDIR != $INSTDIR
    Push "$INSTDIR\${UNINSTALLER}"
    Call un.RemoveFile
    ${If} $Remained != ""
      SetErrorLevel 2
      Return
    ${EndIf}
    RMDir "$INSTDIR"
    ${If} ${FileExists} "$INSTDIR\*.*"
      ; Files that Setup did not put there (the user's own) are not deleted; they are named.
      FindFirst $R1 $R2 "$INSTDIR\*.*"
      ${DoUntil} $R2 == ""
        ${If} $R2 != "."
        ${AndIf} $R2 != ".."
          Push "$INSTDIR\$R2 stayed in the folder"
          Call un.Report
        ${EndIf}
        FindNext $R1 $R2
      ${Loop}
      FindClose $R1
      Push "The folder $INSTDIR stayed"
      Call un.Report
      SetErrorLevel 2
    ${EndIf}
  ${EndIf}
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
