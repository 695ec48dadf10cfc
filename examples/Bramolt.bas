Attribute VB_Name = "Bramolt"
' Bramolt from VBA (Excel, Access, Word), late-bound: no reference to set.
' Import this module (File > Import File...), then call its functions from your code.
' One function per service. Each returns its result, or a failure value after it has shown
' the error (Err.Source and Err.Description) in the Immediate window.
' The module uses Bramolt.BramoltCOMLong, whose JSON handles are Longs, so it runs in 32-bit
' and 64-bit Office alike. (Bramolt.BramoltCOM answers 64-bit handles, which 32-bit VBA
' cannot hold: error 458.) Both classes have the same methods and share the same trees.
Option Explicit

Private Function NewServer() As Object
    Set NewServer = CreateObject("Bramolt.BramoltCOMLong")
End Function

Private Sub Report(ByVal what As String)
    Debug.Print what & " failed: " & Err.Source & ": " & Err.Description & " (" & Hex(Err.Number) & ")"
End Sub

' "1.0.002", or "" when the server cannot be created (not registered: run the installer).
Public Function BramoltVersion() As String
    On Error GoTo Failed
    BramoltVersion = NewServer().Version()
    Exit Function
Failed:
    Report "Version"
    BramoltVersion = ""
End Function

' The value at a path of a JSON text, e.g. JsonValue("{""a"":[1,2]}", "a[1]") = 2.
' Null when the text is not JSON or the path leads nowhere.
Public Function JsonValue(ByVal jsonText As String, ByVal path As String) As Variant
    Dim server As Object, root As Long, node As Long
    JsonValue = Null
    On Error GoTo Failed
    Set server = NewServer()
    root = server.JSONCreate(jsonText)
    If root = 0 Then Exit Function
    node = server.JSONGetElement(root, path)
    If node <> 0 Then JsonValue = server.JSONGetNodeValue(root, path)
    server.JSONFree root
    Exit Function
Failed:
    Report "JsonValue"
    ' Trees live in the server until freed, also after an error.
    If root <> 0 Then server.JSONFree root
End Function

' A JSON text built node by node: {"name":...,"amount":...,"paid":...,"lines":[...]}.
Public Function InvoiceJson(ByVal name As String, ByVal amount As Double, ByVal paid As Boolean, _
                            lines As Variant) As String
    Dim server As Object, root As Long, list As Long, i As Long
    On Error GoTo Failed
    Set server = NewServer()
    root = server.JSONAddElement(0, "")
    server.JSONAddNode root, "name", name
    ' AsNumber writes "1.5" whatever the regional settings; JSONAddNode would write "1,5"
    ' where the comma is the decimal separator.
    server.JSONAddNodeAsNumber root, "amount", amount
    server.JSONAddNodeAsBool root, "paid", paid
    list = server.JSONAddArray(root, "lines")
    For i = LBound(lines) To UBound(lines)
        server.JSONAddNode server.JSONAddArrayElement(list), "text", CStr(lines(i))
    Next
    InvoiceJson = server.JSONFormat(root)
    server.JSONFree root
    Exit Function
Failed:
    Report "InvoiceJson"
    InvoiceJson = ""
    If root <> 0 Then server.JSONFree root
End Function

' A data packet with one record created ("C") or modified ("M") from a JSON object, or
' deleted ("D"); "" when no packet was produced (e.g. no record holds the key).
Public Function ApplyRecord(ByVal packet As String, ByVal recordJson As String, ByVal keyField As String, _
                            ByVal keyValue As Variant, ByVal operation As String) As String
    On Error GoTo Failed
    ApplyRecord = NewServer().DSToJSON(packet, recordJson, keyField, keyValue, operation)
    Exit Function
Failed:
    Report "DSToJSON"
    ApplyRecord = ""
End Function

' Sends one HTML message; attachments are full paths separated by "|". useTls asks for STARTTLS.
' True once the SMTP server has accepted the message.
Public Function SendHtmlMail(ByVal toList As String, ByVal subject As String, ByVal html As String, _
                             ByVal attachments As String, ByVal user As String, ByVal password As String, _
                             ByVal host As String, ByVal port As Long, ByVal useTls As Boolean) As Boolean
    On Error GoTo Failed
    SendHtmlMail = (NewServer().SendMail(toList, "", "", subject, html, attachments, user, password, host, _
                                         port, useTls) = "OK")
    Exit Function
Failed:
    Report "SendMail"
    SendHtmlMail = False
End Function

' Writes a text's UTF-8 bytes Base64-encoded to a file (full path; the folder must exist).
Public Function SaveBase64(ByVal text As String, ByVal path As String) As Boolean
    On Error GoTo Failed
    SaveBase64 = NewServer().EncodeBase64(text, path)
    If Not SaveBase64 Then Debug.Print "EncodeBase64 could not write " & path
    Exit Function
Failed:
    Report "EncodeBase64"
    SaveBase64 = False
End Function

' Writes the bytes a Base64 text decodes to as a file.
Public Function SaveDecoded(ByVal base64 As String, ByVal path As String) As Boolean
    On Error GoTo Failed
    SaveDecoded = NewServer().DecodeBase64(base64, path)
    If Not SaveDecoded Then Debug.Print "DecodeBase64 could not write " & path
    Exit Function
Failed:
    Report "DecodeBase64"
    SaveDecoded = False
End Function

' Writes the QR code of a text as a BMP image, one pixel per module.
Public Function SaveQR(ByVal text As String, ByVal path As String) As Boolean
    On Error GoTo Failed
    SaveQR = NewServer().GenerateQR(text, path)
    Exit Function
Failed:
    Report "GenerateQR"
    SaveQR = False
End Function
