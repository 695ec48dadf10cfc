' json_use.vbs HANDLE - the second of two clients that share a JSON tree (json_hold.vbs):
' with its own object it reads the tree the first client made, and frees it.
Option Explicit
Dim server, handle, printed, second
Set server = CreateObject("Bramolt.BramoltCOM")
' Scripts keep handles as numbers; a Double holds every 32-bit handle exactly.
handle = CDbl(WScript.Arguments(0))
printed = server.JSONFormat(handle)
second = server.JSONGetNodeValue(handle, "shared[1]")
server.JSONFree handle
Set server = Nothing
If printed <> "{""shared"":[1,2]}" Or VarType(second) <> vbDouble Or second <> 2 Then
    WScript.Echo "handle " & handle & " printed " & printed & ", shared[1] " & second
    WScript.Quit 1
End If
WScript.Echo "the second client used the first client's tree"
WScript.Quit 0
