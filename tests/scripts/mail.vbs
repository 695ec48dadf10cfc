' Sends one message with SendMail. The eleven arguments come one per line from a UTF-16
' file, because the script host reads a .vbs file in the ANSI code page and the tests
' send non-ASCII text. Prints "Res: <value> (<type>)" or "Error: <number> <description>",
' then "done".
Option Explicit
Dim fso, file, a(10), i, server, result
Set fso = CreateObject("Scripting.FileSystemObject")
Set file = fso.OpenTextFile(WScript.Arguments(0), 1, False, -1)
For i = 0 To 10
    a(i) = file.ReadLine
Next
file.Close

Set server = CreateObject("Bramolt.BramoltCOM")
On Error Resume Next
result = server.SendMail(a(0), a(1), a(2), a(3), a(4), a(5), a(6), a(7), a(8), CLng(a(9)), a(10) = "True")
If Err.Number <> 0 Then
    WScript.Echo "Error: " & Hex(Err.Number) & " " & Err.Description
Else
    WScript.Echo "Res: " & result & " (" & TypeName(result) & ")"
End If
Err.Clear
On Error GoTo 0
' Released before the end (see version.vbs).
Set server = Nothing
WScript.Echo "done"
