' Creates the object through its ProgID and checks Version, whatever the
' letter case of the member name; a member the object does not have fails in the
' script host.
' Every exit releases the object first: Wine's script host does not release
' what global variables still hold when a script ends, and a reference never
' released keeps a COM-started server running.
Option Explicit
Dim server
Set server = CreateObject("Bramolt.BramoltCOM")

Sub Finish(code, message)
    Set server = Nothing
    WScript.Echo message
    WScript.Quit code
End Sub

If server.Version <> "1.0.002" Then Finish 1, "Version returned '" & server.Version & "'"
If server.VERSION() <> "1.0.002" Or server.version <> "1.0.002" Then Finish 1, "member names must ignore letter case"
If TypeName(server.Version) <> "String" Then Finish 1, "Version is a " & TypeName(server.Version)
Dim unknownMember
On Error Resume Next
server.JSONCreat "{}"
unknownMember = Err.Number
On Error GoTo 0
If unknownMember <> 438 Then Finish 1, "unknown member: Err.Number " & unknownMember & ", expected 438"
Finish 0, "Version " & server.Version
