' EncodeBase64, DecodeBase64 and GenerateQR from VBScript, writing into the current directory
' by absolute paths. Checks what the script can see: results, errors and
' the Base64 round trip; fileout.sh checks the bytes of the files afterwards.
' The non-ASCII text comes from text.utf16, which fileout.sh writes: a .vbs file is read in
' the ANSI code page, and Wine's VBScript has no ChrW.
Option Explicit
Dim server, folder, failures, result, number, text, fso, stream, encoded
Set fso = CreateObject("Scripting.FileSystemObject")
folder = fso.GetAbsolutePathName(".") & "\"
Set server = CreateObject("Bramolt.BramoltCOM")
failures = 0

Sub Check(condition, what)
    If Not condition Then
        WScript.Echo "FAILED: " & what
        failures = failures + 1
    End If
End Sub

' GenerateQR fails the call with E_UNEXPECTED and a message that starts with `expected`.
Sub ExpectFailure(method, expected)
    Dim number, source, description
    number = Err.Number
    source = Err.Source
    description = Err.Description
    Err.Clear
    Check number = &H8000FFFF, method & ": Err.Number " & Hex(number)
    Check source = "Bramolt.BramoltCOM", method & ": Err.Source '" & source & "'"
    Check Left(description, Len(expected)) = expected, method & ": Err.Description '" & description & "'"
End Sub

Check server.GenerateQR("A", folder & "qr-a.bmp") = True, "GenerateQR of A"
Check server.GenerateQR("", folder & "qr-empty.bmp") = True, "GenerateQR of the empty text"

On Error Resume Next
result = server.GenerateQR(String(2954, "a"), folder & "qr-long.bmp")
ExpectFailure "GenerateQR of 2954 bytes", "Text too long for a QR code (2954 bytes; at most 2953)"
result = server.GenerateQR("A", folder & "missing\qr.bmp")
ExpectFailure "GenerateQR into a missing folder", "Cannot create file """ & folder & "missing\qr.bmp"". "
' The Base64 methods answer False and never fail the call.
result = server.EncodeBase64("A", folder & "missing\a.b64")
number = Err.Number
On Error GoTo 0
Check number = 0 And result = False, "EncodeBase64 into a missing folder: Err.Number " & Hex(number) & ", " & result

Set stream = fso.OpenTextFile(folder & "text.utf16", 1, False, -1)
text = stream.ReadAll
stream.Close
Check server.EncodeBase64(text, folder & "text.b64") = True, "EncodeBase64"
Set stream = fso.OpenTextFile(folder & "text.b64")
encoded = stream.ReadAll
stream.Close
Check server.DecodeBase64(encoded, folder & "text.bin") = True, "DecodeBase64"

' Released before the end (see version.vbs).
Set server = Nothing
If failures > 0 Then WScript.Quit 1
WScript.Echo "file outputs written"
WScript.Quit 0
