; Setup of the Bramolt automation server: BramoltSetup.exe.
;
; Run elevated, it installs for every user into Program Files and registers the server
; machine-wide (Bramolt.exe /regserver); otherwise it installs for the current user into
; the local application data folder and registers per user (/regserverperuser).
; /CurrentUser chooses the per-user installation also when elevated, /AllUsers insists on
; the machine-wide one. /S installs silently; Setup then fails with exit code 2 where it
; would have asked the user something.
;
; Installing again replaces the installation in place: a running server is asked to end,
; an installation of the other kind or in another folder is uninstalled first, so that
; the class is registered once.
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

; Ends every running server: its message loop is asked to quit, as when the process was
; started by COM and lost its last client. Clients that still hold objects lose them, so
; the user is asked first; a server that does not end is left to the user to close.
!macro DEFINE_STOP_SERVERS prefix
Function ${prefix}StopServers
  FindWindow $0 "${SERVER_WINDOW_CLASS}"
  ${If} $0 == 0
    Return
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "Bramolt is running. Scripts that are using it now will lose their objects when it ends.$\n$\nOK ends it, Cancel stops Setup." /SD IDOK IDOK stop
  SetErrorLevel 2
  Quit
stop:
  ${Do}
    FindWindow $0 "${SERVER_WINDOW_CLASS}"
    ${If} $0 == 0
      Return
    ${EndIf}
    DetailPrint "Asking the running Bramolt server to end"
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i .r2'
    System::Call 'user32::PostThreadMessageW(i r2, i 0x12, p 0, p 0)'
    StrCpy $3 0
    ${Do}
      Sleep 250
      IntOp $3 $3 + 1
      IsWindow $0 0 ended
    ${LoopUntil} $3 >= 40
    MessageBox MB_RETRYCANCEL|MB_ICONSTOP "Bramolt is still running. Close it with Salir in the menu of its tray icon, then choose Retry." /SD IDCANCEL IDRETRY ended
    SetErrorLevel 2
    Quit
ended:
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
; own uninstaller, so that only one registration of the class remains.
!macro REMOVE_OTHER_INSTALLATION root machineWide
  ReadRegStr $1 ${root} "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 != ""
  ${AndIf} ${FileExists} "$1\${UNINSTALLER}"
    ${If} $1 != $INSTDIR
    ${OrIf} $MachineWide != ${machineWide}
      DetailPrint "Removing the installation in $1"
      ExecWait '"$1\${UNINSTALLER}" /S _?=$1' $0
      Delete "$1\${UNINSTALLER}"
      RMDir "$1"
    ${EndIf}
  ${EndIf}
!macroend

Section "Bramolt"
  SetRegView 64
  Call StopServers
  !insertmacro REMOVE_OTHER_INSTALLATION HKLM 1
  !insertmacro REMOVE_OTHER_INSTALLATION HKCU 0

  SetOutPath "$INSTDIR"
  ; A file still in use (a server that ended only after the check above) is not
  ; replaced: then the user has to close Bramolt and run Setup again.
  SetOverwrite try
  ClearErrors
  File "${SERVER_EXE}"
  File "${OPENSSL_DIR}\libssl-3-x64.dll"
  File "${OPENSSL_DIR}\libcrypto-3-x64.dll"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "A file of Bramolt in $INSTDIR is in use. Close Bramolt (Salir in the menu of its tray icon) and run Setup again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
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

Section "Uninstall"
  SetRegView 64
  Call un.StopServers
  ${If} $MachineWide == 1
    ExecWait '"$INSTDIR\Bramolt.exe" /unregserver'
  ${Else}
    ExecWait '"$INSTDIR\Bramolt.exe" /unregserverperuser'
  ${EndIf}
  Delete "$INSTDIR\Bramolt.exe"
  Delete "$INSTDIR\libssl-3-x64.dll"
  Delete "$INSTDIR\libcrypto-3-x64.dll"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
