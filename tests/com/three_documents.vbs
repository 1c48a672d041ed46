' The calls of three_documents.meridctl through COM, printed the way meridctl
' prints them: "NAME.Method -> RESULT".
Option Explicit
Dim s, f, n, port, total, copy, decimals, quantities, font

Function R(value)
  If IsEmpty(value) Then
    R = "Empty"
  ElseIf VarType(value) = vbBoolean Then
    If value Then R = "True" Else R = "False"
  Else
    R = CStr(value)
  End If
End Function

Sub Show(name, value)
  WScript.Echo name & " -> " & R(value)
End Sub

Set s = CreateObject("MeridDLLManager.MeridTallo_Scontrino")
port = 1
s.InitComunicazione port
WScript.Echo "s.InitComunicazione"
Show "s.ApriTransazioneFiscale", s.ApriTransazioneFiscale
Show "s.Vendita", s.Vendita("", "PANE", 2, 1.25, 2.5, "", "4", 1)
Show "s.Vendita", s.Vendita("BIO", "MELE", 1, 3.2, 3.2, "", "4", 1)
Show "s.ScontoValoreTotale", s.ScontoValoreTotale(0.7, "SCONTO")
Show "s.RigaLiberaFiscale_Promo", s.RigaLiberaFiscale_Promo("GRAZIE E ARRIVEDERCI")
Show "s.Pagamento_CorrispettivoRiscosso", s.Pagamento_CorrispettivoRiscosso(1, 10, "Contanti")
Show "s.ChiudiTransazioneFiscale", s.ChiudiTransazioneFiscale
Show "s.ApriCassetto", s.ApriCassetto

Set f = CreateObject("MeridDLLManager.MeridTallo_Fattura")
total = 122: copy = False: decimals = 2: quantities = 3
Show "f.ApriFattura", f.ApriFattura(port, total, copy, decimals, quantities)
font = 1
Show "f.RigaFattura", f.RigaFattura("ROSSI SRL - VIA ROMA 1 - MILANO", font)
font = 2
Show "f.RigaFattura", f.RigaFattura("2 X CESTO NATALIZIO      122,00", font)
Show "f.ChiudiFattura", f.ChiudiFattura(122)

Set n = CreateObject("MeridDLLManager.MeridTallo_NAccr")
Show "n.ApriNotaAccredito", n.ApriNotaAccredito(port, decimals, quantities)
font = 1
Show "n.RigaNotaAccredito", n.RigaNotaAccredito("RESO SCIARPA", "", "19,90", font)
Show "n.ChiudiNotaAccredito", n.ChiudiNotaAccredito(19.9)
Show "s.StatoStampante", s.StatoStampante
s.ChiudiConnessioneCOM
WScript.Echo "s.ChiudiConnessioneCOM"
