' DSToJSON of a large packet read from a file: one record added. Writes the file READY just
' before the call, so that a second client can be timed during it, and prints how long the
' call took (whole seconds: Wine's Timer counts no fractions).
' Arguments: the packet's path, the path of READY.
Option Explicit
Dim fso, packet, b, started, answer, ready
Set fso = CreateObject("Scripting.FileSystemObject")
packet = fso.OpenTextFile(WScript.Arguments(0), 1).ReadAll()
Set b = CreateObject("Bramolt.BramoltCOM")
Set ready = fso.CreateTextFile(WScript.Arguments(1), True)
ready.Close
started = Timer
answer = b.DSToJSON(packet, "{""ID"":999999999,""NAME"":""nuevo""}", "ID", 999999999, "C")
WScript.Echo "DSToJSON of " & Len(packet) & " characters: " & (Timer - started) & " s, answer of " & _
             Len(answer) & " characters"
Set b = Nothing
