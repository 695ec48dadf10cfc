' Methods not available in this build fail with E_NOTIMPL, the server's
' ProgID as source and a description naming the method; an unknown member
' fails in the script host.
Option Explicit
Dim server, failures, result
Set server = CreateObject("Bramolt.BramoltCOM")
failures = 0

Sub Expect(method)
    If Err.Number <> &H80004001 Then
        WScript.Echo method & ": Err.Number " & Hex(Err.Number) & ", expected 80004001"
        failures = failures + 1
    ElseIf Err.Source <> "Bramolt.BramoltCOM" Then
        WScript.Echo method & ": Err.Source '" & Err.Source & "'"
        failures = failures + 1
    ElseIf Err.Description <> method & " is not available in this build yet" Then
        WScript.Echo method & ": Err.Description '" & Err.Description & "'"
        failures = failures + 1
    End If
    Err.Clear
End Sub

On Error Resume Next
result = server.DSToJSON("<xml/>", "{}", "id", 1, "insert")
Expect "DSToJSON"

result = server.JSONCreat("{}")
If Err.Number <> 438 Then
    WScript.Echo "unknown member: Err.Number " & Err.Number & ", expected 438"
    failures = failures + 1
End If
Err.Clear
On Error GoTo 0

' Released before the end (see version.vbs).
Set server = Nothing
If failures > 0 Then WScript.Quit 1
WScript.Echo "pending methods refuse to work"
WScript.Quit 0
