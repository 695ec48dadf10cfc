' A tour of Bramolt.BramoltCOMLong: what each method does in this build. The class
' Bramolt.BramoltCOM has the same methods and trees, but answers JSON handles as 64-bit
' integers, which VBScript on Windows cannot compare or print.
' Run it with the console script host once the server is registered:
'     Bramolt.exe /regserver
'     cscript //nologo tour.vbs
' A relative file path is taken against the server's current directory, not the
' script's; the tour writes its files with full paths, into the folder given as its
' argument, or else next to the script.
Option Explicit
Dim server, folder
Set server = CreateObject("Bramolt.BramoltCOMLong")
If WScript.Arguments.Count > 0 Then
    folder = WScript.Arguments(0) & "\"
Else
    folder = Left(WScript.ScriptFullName, InStrRev(WScript.ScriptFullName, "\"))
End If

' The type of a result, by VarType: Wine's script host has no TypeName for VT_I8.
Function KindOf(value)
    Select Case VarType(value)
        Case 0: KindOf = "Empty"
        Case 1: KindOf = "Null"
        Case 3: KindOf = "Long"
        Case 5: KindOf = "Double"
        Case 8: KindOf = "String"
        Case 11: KindOf = "Boolean"
        Case 20: KindOf = "64-bit integer"
        Case Else: KindOf = "VarType " & VarType(value)
    End Select
End Function

Sub Show(title, value)
    WScript.Echo "    " & title & ": " & value & "   (" & KindOf(value) & ")"
End Sub

WScript.Echo "Version"
Show "the server's version", server.Version

WScript.Echo "JSONCreate, JSONFormat, JSONFree: JSON text into a tree held by the server"
Dim root, copy
root = server.JSONCreate("{ ""name"" : ""Ana"", ""tags"" : [1, 2.50, -0, 1E+2], ""caf\u00e9"" : true }")
Show "handle of the root (a Long)", root
Show "printed compactly, numbers as written, non-ASCII escaped", server.JSONFormat(root)
Show "text that is not JSON gives handle", server.JSONCreate("{""a"":01}")

WScript.Echo "JSONGetElement, JSONGetNodeValue: walking by path"
Show "tags[1] as a value", server.JSONGetNodeValue(root, "tags[1]")
Show "name as a value", server.JSONGetNodeValue(root, "name")
Show "tags[3] printed", server.JSONFormat(server.JSONGetElement(root, "tags[3]"))
Show "a path to nothing gives", server.JSONGetElement(root, "tags[9]")

WScript.Echo "JSONCount, JSONArrayCount, JSONIsObject, JSONIsArray, JSONGetArrayElement"
Dim tags
tags = server.JSONGetElement(root, "tags")
Show "members of the root", server.JSONCount(root)
Show "elements of tags", server.JSONArrayCount(tags)
Show "the root is an object", server.JSONIsObject(root)
Show "tags is an array", server.JSONIsArray(tags)
Show "element 0 of tags printed", server.JSONFormat(server.JSONGetArrayElement(tags, 0))

WScript.Echo "JSONGetPair, JSONGetPairKey, JSONGetPairValue: members by position"
Dim pair
pair = server.JSONGetPair(root, 0)
Show "the first member printed", server.JSONFormat(pair)
Show "its key", server.JSONGetPairKey(pair)
Show "its value printed", server.JSONFormat(server.JSONGetPairValue(pair))
server.JSONFree root
Show "after JSONFree the handle designates nothing; JSONCount gives", server.JSONCount(root)

WScript.Echo "JSONAddElement, JSONAddNode, JSONAddNodeAsNumber, JSONAddNodeAsBool, JSONAddArray,"
WScript.Echo "JSONAddArrayElement, JSONAddArrayElementNested: building"
Dim person, list, item
person = server.JSONAddElement(0, "")
server.JSONAddNode person, "name", "Ana"
server.JSONAddNodeAsNumber person, "n", 3
server.JSONAddNodeAsBool person, "ok", True
list = server.JSONAddArray(person, "list")
item = server.JSONAddArrayElement(list)
server.JSONAddNode item, "note", "first"
server.JSONAddArrayElementNested list, "{""not"":""parsed""}"
Show "the new tree", server.JSONFormat(person)
server.JSONFree person

WScript.Echo "EncodeBase64, DecodeBase64: texts written as files"
Show "EncodeBase64 of 'hola' written", server.EncodeBase64("hola", folder & "bramolt-hola.b64")
Show "DecodeBase64 of 'aG9sYQ==' written", server.DecodeBase64("aG9sYQ==", folder & "bramolt-hola.txt")
Show "a folder that does not exist gives", server.EncodeBase64("hola", folder & "no such folder\x.b64")

WScript.Echo "GenerateQR: the QR code of a text as a BMP image, one pixel per module"
Show "written", server.GenerateQR("https://example.org", folder & "bramolt-example.bmp")
On Error Resume Next
server.GenerateQR String(3000, "x"), folder & "bramolt-too-long.bmp"
Show "a text too long for a QR code fails", Err.Description
Err.Clear

WScript.Echo "DSToJSON: a JSON record applied to an XML data packet"
Dim result, packet
packet = "<?xml version=""1.0"" standalone=""yes""?>  <DATAPACKET Version=""2.0""><METADATA><FIELDS>" & _
         "<FIELD attrname=""ID"" fieldtype=""i4""/><FIELD attrname=""NAME"" fieldtype=""string"" WIDTH=""20""/>" & _
         "</FIELDS><PARAMS/></METADATA><ROWDATA><ROW ID=""1"" NAME=""Ana""/></ROWDATA></DATAPACKET>"
packet = server.DSToJSON(packet, "{""name"":""Eva""}", "ID", 2, "C")
Show "C of record 2", packet
Show "M of record 1", server.DSToJSON(packet, "{""name"":""Ana Mar\u00eda""}", "ID", 1, "M")
Show "M of a record that is not there gives the empty text", server.DSToJSON(packet, "{}", "ID", 9, "M")
result = server.DSToJSON("<DATAPACKET>", "{}", "ID", 1, "C")
Show "a packet that cannot be loaded fails", Err.Description
Err.Clear
WScript.Echo "SendMail"
' SendMail answers "OK" once the server accepted the message; every failure raises an
' error with its reason, here a port where no mail server listens.
result = server.SendMail("someone@example.org", "", "", "Hello", "<p>Hello</p>", "", "user@example.org", "secret", _
                         "127.0.0.1", 1, False)
Show "SendMail to a server that is not there", Err.Description
Err.Clear
On Error GoTo 0

' Wine's script host does not release what variables still hold at the end; a
' reference never released would keep a COM-started server running.
Set server = Nothing
WScript.Echo "Tour done; its files are in " & folder
