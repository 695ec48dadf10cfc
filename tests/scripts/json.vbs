' The JSON methods from VBScript: a tree created, printed and freed; a document built
' member by member, printed, and walked back by path, by index and by pair, checking
' the VarType of every value, since that is how a script tells a failure from a result.
Option Explicit
Const vbLongLong = 20
Dim server, failures
Set server = CreateObject("Bramolt.BramoltCOM")
failures = 0

' A value as "VarType text", so that one comparison checks the type too.
Function Describe(value)
    Select Case VarType(value)
        Case vbEmpty: Describe = "Empty"
        Case vbNull: Describe = "Null"
        Case Else: Describe = VarType(value) & " " & CStr(value)
    End Select
End Function

Sub Expect(what, value, expected)
    If Describe(value) <> expected Then
        WScript.Echo what & ": got '" & Describe(value) & "', expected '" & expected & "'"
        failures = failures + 1
    End If
End Sub

Sub ExpectHandle(what, value)
    If VarType(value) <> vbLongLong Then
        Expect what, value, "a handle"
    ElseIf value = 0 Then
        Expect what, value, "a nonzero handle"
    End If
End Sub

Function Gone(handle)
    Gone = "8 Exception: (JSON handle " & handle & " designates no live node)"
End Function

' Created, printed with the number texts as written, freed.
Dim root
root = server.JSONCreate(" { ""a"" : [1, 2.50, -0, 1E+2] } ")
ExpectHandle "JSONCreate", root
Expect "JSONFormat", server.JSONFormat(root), "8 {""a"":[1,2.50,-0,1E+2]}"
Expect "JSONCreate of no JSON", server.JSONCreate("[1,]"), "20 0"
server.JSONFree root
Expect "JSONFormat of a freed tree", server.JSONFormat(root), Gone(root)
Expect "JSONCount of a freed tree", server.JSONCount(root), "3 0"
Expect "JSONArrayCount of a freed tree", server.JSONArrayCount(root), "3 -2"
Expect "JSONGetPairValue of a freed tree", server.JSONGetPairValue(root), "8 "
Expect "JSONFormat of handle 0", server.JSONFormat(0), "8 Exception: (JSON handle 0 designates no node)"

' Built member by member.
' Variables travel by reference (VT_BYREF | VT_VARIANT), literals by value: both are used.
' The non-ASCII name comes from the server: a .vbs file is read in the ANSI code page,
' and Wine's VBScript has no ChrW.
Dim name, key, number, doc, list, item
root = server.JSONCreate("""Jos\u00E9""")
name = server.JSONGetNodeValue(root, "")
server.JSONFree root
Expect "length of the name", Len(name), "3 4"
key = "n"
number = 3
doc = server.JSONAddElement(0, "")
ExpectHandle "JSONAddElement", doc
server.JSONAddNode doc, "name", name
server.JSONAddNodeAsNumber doc, key, number
server.JSONAddNodeAsBool doc, "ok", True
list = server.JSONAddArray(doc, "list")
ExpectHandle "JSONAddArray", list
item = server.JSONAddArrayElement(list)
ExpectHandle "JSONAddArrayElement", item
server.JSONAddNode item, "city", "Lima"
Expect "JSONAddArrayElementNested", server.JSONAddArrayElementNested(list, "x/y"), "Empty"
Expect "JSONAddArray without a parent", server.JSONAddArray(0, "list"), "3 0"
Expect "the document", server.JSONFormat(doc), _
       "8 {""name"":""Jos\u00E9"",""n"":3,""ok"":true,""list"":[{""city"":""Lima""},""x\/y""]}"

' Walked back by path.
Expect "name", server.JSONGetNodeValue(doc, "name"), "8 " & name
Expect "n", server.JSONGetNodeValue(doc, "n"), "5 3"
Expect "ok", server.JSONGetNodeValue(doc, "ok"), "11 True"
Expect "list", server.JSONGetNodeValue(doc, "list"), "Empty"
key = " list[0] . city "
Expect "city", server.JSONGetNodeValue(doc, key), "8 Lima"
Expect "missing element", server.JSONGetNodeValue(doc, "list[2]"), "3 0"
Expect "missing member", server.JSONGetElement(doc, "nombre"), "3 0"
ExpectHandle "JSONGetElement", server.JSONGetElement(doc, "list[0]")
Expect "JSONCount", server.JSONCount(doc), "3 4"
Expect "JSONIsObject", server.JSONIsObject(doc), "11 True"
Expect "JSONIsArray", server.JSONIsArray(doc), "11 False"

' By index.
Dim element
Expect "JSONArrayCount", server.JSONArrayCount(list), "3 2"
element = server.JSONGetArrayElement(list, 1)
ExpectHandle "JSONGetArrayElement", element
Expect "element", server.JSONGetNodeValue(element, ""), "8 x/y"
Expect "element past the end", server.JSONGetArrayElement(list, 2), "3 0"

' By pair.
Dim i, pair, members
members = ""
For i = 0 To server.JSONCount(doc) - 1
    pair = server.JSONGetPair(doc, i)
    ExpectHandle "JSONGetPair", pair
    Expect "JSONGetPairKey", VarType(server.JSONGetPairKey(pair)), "2 8"
    ExpectHandle "JSONGetPairValue", server.JSONGetPairValue(pair)
    members = members & server.JSONGetPairKey(pair) & "=" & server.JSONFormat(server.JSONGetPairValue(pair)) & ";"
Next
Expect "members", members, "8 name=""Jos\u00E9"";n=3;ok=true;list=[{""city"":""Lima""},""x\/y""];"
Expect "JSONGetPairKey of an object", server.JSONGetPairKey(doc), "8 "

' A handle that is no integer fails the pair methods with the conversion message.
On Error Resume Next
key = server.JSONGetPairKey(Null)
If Err.Number <> &H8000FFFF Or Err.Source <> "Bramolt.BramoltCOM" Or _
   Err.Description <> "Could not convert variant of type (Null) into type (Int64)" Then
    WScript.Echo "JSONGetPairKey(Null): " & Hex(Err.Number) & " " & Err.Source & ": " & Err.Description
    failures = failures + 1
End If
Err.Clear
On Error GoTo 0
Expect "JSONGetElement(Null)", server.JSONGetElement(Null, ""), "3 0"

' Called as a statement, a method with a value still does its work.
server.JSONAddArrayElementNested list, "z"
Expect "element added by a statement", server.JSONGetNodeValue(doc, "list[2]"), "8 z"

' Freeing the document frees what navigation handed out.
server.JSONFree doc
Expect "element of a freed document", server.JSONFormat(element), Gone(element)

' Released before the end (see version.vbs).
Set server = Nothing
If failures > 0 Then WScript.Quit 1
WScript.Echo "json methods work"
WScript.Quit 0
