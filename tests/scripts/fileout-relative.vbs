' Writes relative.b64 by a relative path: it lands in the server's current directory.
Option Explicit
Dim server, written
Set server = CreateObject("Bramolt.BramoltCOM")
written = server.EncodeBase64("relative", "relative.b64")
Set server = Nothing
If written <> True Then
    WScript.Echo "EncodeBase64 of a relative path returned " & written
    WScript.Quit 1
End If
WScript.Echo "relative path written"
WScript.Quit 0
