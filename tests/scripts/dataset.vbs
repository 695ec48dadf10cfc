' DSToJSON from VBScript with plain variables as arguments, as scripts write it: a record
' with details created, the returned packet changed again by a second call with a key of two
' fields given as an array, a deletion, and the one failure that raises an error.
Option Explicit
Dim server, failures, xml, json, keyField, keyValue, oper, created, changed, deleted, number, description
Set server = CreateObject("Bramolt.BramoltCOM")
failures = 0

Sub Check(condition, what)
    If Not condition Then
        WScript.Echo "FAILED: " & what
        failures = failures + 1
    End If
End Sub

Function Holds(packet, part)
    Holds = InStr(1, packet, part, vbBinaryCompare) > 0
End Function

xml = "<?xml version=""1.0"" standalone=""yes""?>  <DATAPACKET Version=""2.0""><METADATA><FIELDS>" & _
      "<FIELD attrname=""ID"" fieldtype=""i4"" required=""true""/>" & _
      "<FIELD attrname=""NAME"" fieldtype=""string.uni"" WIDTH=""40""/>" & _
      "<FIELD attrname=""ITEMS"" fieldtype=""nested""><FIELDS><FIELD attrname=""N"" fieldtype=""i4""/>" & _
      "<FIELD attrname=""TXT"" fieldtype=""string"" WIDTH=""10""/></FIELDS><PARAMS/></FIELD></FIELDS>" & _
      "<PARAMS/></METADATA><ROWDATA><ROW ID=""1"" NAME=""uno""/></ROWDATA></DATAPACKET>"

' "C" on a packet with a nested field.
json = "{""name"":""caf\u00e9"",""items"":[{""n"":1,""txt"":""a""},{""n"":2}]}"
keyField = "ID"
keyValue = 2
oper = "C"
created = server.DSToJSON(xml, json, keyField, keyValue, oper)
Check Holds(created, "<PARAMS CHANGE_LOG=""2 0 4""/>"), "C: change log in " & created
Check Holds(created, "<ROW RowState=""4"" ID=""2"" NAME=""caf&#233;""><ITEMS><ROWITEMS RowState=""4"" N=""1"" " & _
      "TXT=""a""/><ROWITEMS RowState=""4"" N=""2""/></ITEMS></ROW>"), "C: new record in " & created
Check oper = "C" And keyField = "ID" And keyValue = 2, "the variables keep their values"

' "M" on the returned packet, the key of two fields as an array.
json = "{""name"":""one""}"
keyField = "ID;NAME"
keyValue = Array(1, "uno")
oper = "M"
changed = server.DSToJSON(created, json, keyField, keyValue, oper)
Check Holds(changed, "<PARAMS CHANGE_LOG=""2 0 4 3 1 8""/>"), "M: change log in " & changed
Check Holds(changed, "<ROW RowState=""1"" ID=""1"" NAME=""uno""/>"), "M: original image in " & changed
Check Holds(changed, "<ROW RowState=""8"" ID=""1"" NAME=""one""/>"), "M: new version in " & changed

' A key that matches nothing changes nothing: the empty text.
keyValue = Array(1, "UNO")
Check server.DSToJSON(created, json, keyField, keyValue, oper) = "", "M without a match"

' "D" of the created record, parenthesised and literal arguments as before.
deleted = server.DSToJSON((changed), "", "ID", 2, "D")
Check Holds(deleted, "<PARAMS CHANGE_LOG=""2 1 8""/>"), "D of an inserted record leaves no trace: " & deleted
Check Not Holds(deleted, "ID=""2"""), "D removed the inserted record"

' Only a packet that cannot be loaded raises an error.
On Error Resume Next
xml = "<DATAPACKET>"
oper = "C"
keyField = "ID"
keyValue = 3
created = server.DSToJSON(xml, json, keyField, keyValue, oper)
number = Err.Number
description = Err.Description
On Error GoTo 0
Check number = &H8000FFFF, "load error: Err.Number " & Hex(number)
Check Left(description, 25) = "Invalid XML data packet: ", "load error: " & description

Set server = Nothing
If failures > 0 Then WScript.Quit 1
WScript.Echo "dataset records applied"
WScript.Quit 0
