' JSONCreate of a document read from a file, then JSONFree, timed beside the same two
' calls with the one-byte document "1" (what a call costs by itself), and beside
' JSONCreate of a text as long as the document that is refused at its first character
' (what carrying the text to the server costs).
' Arguments: the document's path, the number of rounds for it.
Option Explicit
Dim fso, document, rounds, b
Set fso = CreateObject("Scripting.FileSystemObject")
document = fso.OpenTextFile(WScript.Arguments(0), 1).ReadAll()
rounds = CInt(WScript.Arguments(1))
Set b = CreateObject("Bramolt.BramoltCOM")

' Prints the mean milliseconds per JSONCreate and per JSONFree over `count` calls.
Sub TimeCalls(text, count, label)
    Dim i, h, started, created, createTotal, freeTotal
    createTotal = 0
    freeTotal = 0
    For i = 1 To count
        started = Timer
        h = b.JSONCreate(text)
        created = Timer
        If h = 0 Then
            WScript.Echo label & ": JSONCreate refused the document"
            WScript.Quit 1
        End If
        b.JSONFree h
        createTotal = createTotal + (created - started)
        freeTotal = freeTotal + (Timer - created)
    Next
    WScript.Echo label & " (" & Len(text) & " characters, " & count & " calls): JSONCreate " & _
        FormatNumber(createTotal * 1000 / count, 3) & " ms, JSONFree " & FormatNumber(freeTotal * 1000 / count, 3) & " ms"
End Sub

' Prints the mean milliseconds per JSONCreate of a text that is not JSON.
Sub TimeRefused(text, count, label)
    Dim i, started, total
    total = 0
    For i = 1 To count
        started = Timer
        If b.JSONCreate(text) <> 0 Then
            WScript.Echo label & ": JSONCreate took a text that is not JSON"
            WScript.Quit 1
        End If
        total = total + (Timer - started)
    Next
    WScript.Echo label & " (" & Len(text) & " characters, " & count & " calls): JSONCreate " & _
        FormatNumber(total * 1000 / count, 3) & " ms"
End Sub

TimeCalls "1", 500, "one byte"
TimeRefused "x" & Mid(document, 2), rounds, "refused at once"
TimeCalls document, rounds, "document"
TimeCalls "1", 500, "one byte"
