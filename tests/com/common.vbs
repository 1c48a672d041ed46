' Shared by the VBScript suites (each suite is this file followed by its own
' text: Wine's VBScript has no ExecuteGlobal to include it).
Option Explicit
Dim gFso, gRecord, gChecks, gFailures
Set gFso = CreateObject("Scripting.FileSystemObject")
gRecord = CreateObject("WScript.Shell").Environment("PROCESS")("MERID_RECORD")
gChecks = 0
gFailures = 0

' The printer calls recorded since the last call, joined by "|": commands
' without their "write " prefix, "open <port> <baud>" and "close". The status
' request "1109" and its "read" are left out.
Function Sent()
  Dim text, stream, lines, i, out
  text = ""
  If gFso.FileExists(gRecord) Then
    Set stream = gFso.OpenTextFile(gRecord, 1)
    If Not stream.AtEndOfStream Then text = stream.ReadAll
    stream.Close
    gFso.DeleteFile gRecord
  End If
  lines = Split(text, vbCrLf)
  out = ""
  For i = 0 To UBound(lines)
    If lines(i) <> "" And lines(i) <> "write 1109" And lines(i) <> "read" Then
      If Left(lines(i), 6) = "write " Then lines(i) = Mid(lines(i), 7)
      If out <> "" Then out = out & "|"
      out = out & lines(i)
    End If
  Next
  Sent = out
End Function

Sub Check(label, actual, expected)
  gChecks = gChecks + 1
  If TypeName(actual) <> TypeName(expected) Then
    gFailures = gFailures + 1
    WScript.Echo "FAIL " & label & ": got a " & TypeName(actual) & " [" & actual & "], want a " & _
                 TypeName(expected) & " [" & expected & "]"
  ElseIf actual <> expected Then
    gFailures = gFailures + 1
    WScript.Echo "FAIL " & label & ": got [" & actual & "], want [" & expected & "]"
  End If
End Sub

' A method's result and the commands it sent.
Sub Expect(label, result, wantResult, wantSent)
  Check label & " result", result, wantResult
  Check label & " sent", Sent(), wantSent
End Sub

Sub Finish()
  If gFailures = 0 Then
    WScript.Echo "vbs suite passed: " & gChecks & " checks"
  Else
    WScript.Echo gFailures & " of " & gChecks & " checks failed"
  End If
  WScript.Quit gFailures
End Sub

