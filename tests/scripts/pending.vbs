' Methods not available in this build fail with E_NOTIMPL, the server's
' ProgID as source and a description naming the method; an unknown member
' fails in the script host.
Option Explicit
Dim server, failures, result, handle
Set server = CreateObject("Bramolt.BramoltCOM")
failures = 0
handle = 0

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
result = server.JSONCreate("{""a"":1}")
Expect "JSONCreate"
result = server.JSONFormat(handle)
Expect "JSONFormat"
server.JSONFree handle
Expect "JSONFree"
result = server.JSONArrayCount(handle)
Expect "JSONArrayCount"
server.JSONAddNodeAsNumber handle, "n", 1.5
Expect "JSONAddNodeAsNumber"
result = server.DSToJSON("<xml/>", "{}", "id", 1, "insert")
Expect "DSToJSON"
result = server.SendMail("a@example.org", "", "", "s", "m", "", "u", "p", "localhost", 25, False)
Expect "SendMail"
result = server.EncodeBase64("text", "out.b64")
Expect "EncodeBase64"
result = server.GenerateQR("text", "out.bmp")
Expect "GenerateQR"

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
