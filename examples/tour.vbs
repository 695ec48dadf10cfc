' A tour of Bramolt.BramoltCOM: what each method does in this build.
' Run it with the console script host once the server is registered:
'     Bramolt.exe /regserver
'     cscript //nologo tour.vbs
Option Explicit
Dim server
Set server = CreateObject("Bramolt.BramoltCOM")

WScript.Echo "Version"
WScript.Echo "    the server's version: " & server.Version
WScript.Echo ""

' Methods whose services are not part of this build fail on purpose, so
' that no script mistakes them for methods that worked. The error carries
' the server's ProgID as its source and says which method is missing.
Sub ShowPending(method)
    WScript.Echo method
    If Err.Number = 0 Then
        WScript.Echo "    succeeded"
    Else
        WScript.Echo "    error &H" & Hex(Err.Number) & " from " & Err.Source & ": " & Err.Description
    End If
    Err.Clear
End Sub

Dim result, handle
handle = 0
On Error Resume Next
result = server.JSONCreate("{""greeting"":""hola""}")
ShowPending "JSONCreate"
result = server.JSONFormat(handle)
ShowPending "JSONFormat"
result = server.DSToJSON("<DATAPACKET/>", "{}", "id", 1, "insert")
ShowPending "DSToJSON"
result = server.SendMail("someone@example.org", "", "", "Hello", "<p>Hello</p>", "", "user", "secret", _
                         "smtp.example.org", 25, False)
ShowPending "SendMail"
result = server.EncodeBase64("hola", "hola.b64")
ShowPending "EncodeBase64"
result = server.DecodeBase64("aG9sYQ==", "hola.txt")
ShowPending "DecodeBase64"
result = server.GenerateQR("https://example.org", "example.bmp")
ShowPending "GenerateQR"
On Error GoTo 0

Set server = Nothing
