' hold.vbs READY RELEASE DRIVER - a client that keeps one object: it creates
' Bramolt.BramoltCOM, writes the object's Version to the file READY and
' releases the object once the file RELEASE exists (at most two minutes).
' The waiting is done by DRIVER (bramolt_driver.exe): Wine's script host has
' neither WScript.Sleep nor a standard input to block on.
Option Explicit
Dim fso, server, text, waited
Set fso = CreateObject("Scripting.FileSystemObject")
Set server = CreateObject("Bramolt.BramoltCOM")

' Written under another name and renamed, so the reader never sees half a file.
Set text = fso.CreateTextFile(WScript.Arguments(0) & ".tmp", True)
text.WriteLine server.Version
text.Close
fso.MoveFile WScript.Arguments(0) & ".tmp", WScript.Arguments(0)

waited = CreateObject("WScript.Shell").Run("""" & WScript.Arguments(2) & """ wait-file """ & _
                                           WScript.Arguments(1) & """ 120", 0, True)
' Released explicitly: Wine's script host does not release what global
' variables hold when a script ends.
Set server = Nothing
WScript.Quit waited
