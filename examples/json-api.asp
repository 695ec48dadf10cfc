<%@ Language="VBScript" CodePage=65001 %>
<%
' A JSON endpoint in classic ASP. POST {"name":"Ana","items":[...]} and it answers
' {"greeting":"Hola, Ana","items":2}; a body that is not such an object gets status 400
' and {"error":"..."}.
' JSON trees live in the server until freed: free every tree on every way out.
' Bramolt.BramoltCOMLong answers handles as Longs, which VBScript can compare with 0.
Option Explicit
Response.ContentType = "application/json"
Response.CharSet = "utf-8"

Dim bramolt, received, answer, name, items
Set bramolt = Server.CreateObject("Bramolt.BramoltCOMLong")
received = bramolt.JSONCreate(RequestBody())
If received = 0 Then
    Refuse "the body is not JSON"
ElseIf Not bramolt.JSONIsObject(received) Then
    Refuse "the body is not a JSON object"
Else
    name = bramolt.JSONGetNodeValue(received, "name")
    If VarType(name) <> vbString Then
        Refuse "name must be a string"
    Else
        ' -1 when "items" is missing or not an array.
        items = bramolt.JSONArrayCount(bramolt.JSONGetElement(received, "items"))
        answer = bramolt.JSONAddElement(0, "")
        bramolt.JSONAddNode answer, "greeting", "Hola, " & name
        bramolt.JSONAddNodeAsNumber answer, "items", items
        ' Non-ASCII characters leave as \uXXXX escapes: the answer is plain ASCII.
        Response.Write bramolt.JSONFormat(answer)
        bramolt.JSONFree answer
    End If
End If
If received <> 0 Then bramolt.JSONFree received
Set bramolt = Nothing

' The request body as text, read as UTF-8.
Function RequestBody()
    Dim stream
    RequestBody = ""
    If Request.TotalBytes = 0 Then Exit Function
    Set stream = Server.CreateObject("ADODB.Stream")
    stream.Type = 1 ' binary
    stream.Open
    stream.Write Request.BinaryRead(Request.TotalBytes)
    stream.Position = 0
    stream.Type = 2 ' text
    stream.Charset = "utf-8"
    RequestBody = stream.ReadText()
    stream.Close
End Function

Sub Refuse(message)
    Dim answer
    Response.Status = "400 Bad Request"
    answer = bramolt.JSONAddElement(0, "")
    bramolt.JSONAddNode answer, "error", message
    Response.Write bramolt.JSONFormat(answer)
    bramolt.JSONFree answer
End Sub
%>
