' json_hold.vbs READY RELEASE DRIVER - the first of two clients that share a JSON tree:
' it creates the tree, writes its handle to the file READY and keeps its object until
' the file RELEASE exists (at most two minutes; DRIVER waits, as in hold.vbs). Meanwhile
' the second client uses and frees the tree, so afterwards the handle must be dead here too.
Option Explicit
Dim fso, server, root, text, waited, printed
Set fso = CreateObject("Scripting.FileSystemObject")
Set server = CreateObject("Bramolt.BramoltCOM")
root = server.JSONCreate("{""shared"":[1,2]}")

' Written under another name and renamed, so the reader never sees half a file.
Set text = fso.CreateTextFile(WScript.Arguments(0) & ".tmp", True)
text.WriteLine root
text.Close
fso.MoveFile WScript.Arguments(0) & ".tmp", WScript.Arguments(0)

waited = CreateObject("WScript.Shell").Run("""" & WScript.Arguments(2) & """ wait-file """ & _
                                           WScript.Arguments(1) & """ 120", 0, True)
printed = server.JSONFormat(root)
Set server = Nothing
If waited <> 0 Then
    WScript.Echo "no release in time"
    WScript.Quit 1
End If
If printed <> "Exception: (JSON handle " & root & " designates no live node)" Then
    WScript.Echo "the tree the second client freed still prints: " & printed
    WScript.Quit 1
End If
WScript.Echo "the tree the second client freed is gone"
WScript.Quit 0
