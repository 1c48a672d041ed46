' Argument values at the edges of what each parameter type admits: empty,
' huge and foreign strings, Empty variables, extreme numbers and dates, enum
' values outside their lists. No call may raise an automation error.
Dim o, f, nc, texts, doubles, longs, shorts, dates, enums, s, v, p, q, r, t, b, e, n
On Error Resume Next

Sub Survived(label)
  gChecks = gChecks + 1
  If Err.Number <> 0 Then
    gFailures = gFailures + 1
    WScript.Echo "FAIL " & label & ": error " & Hex(Err.Number) & " " & Err.Description
  End If
  Err.Clear
End Sub

' Wine's VBScript has no ChrW: text outside ASCII is tested from C++.
texts = Array("", Empty, String(100000, "x"), String(300, Chr(200)), Chr(1) & Chr(0) & vbCrLf & Chr(255), _
              "%s%n%d", "'""<>&|;" & Chr(127))
doubles = Array(0, -0.001, 1E+308, -1E+308, 4.94065645841247E-324, 2147483648, -922337203685477, Empty)
longs = Array(0, -1, 2147483647, -2147483648, Empty)
shorts = Array(0, -1, 32767, -32768, Empty)
dates = Array(CDate(-657434), CDate(2958465.99998843), CDate(0), CDate(-0.5), Empty)
enums = Array(0, -1, 2147483647, -2147483648, 10, Empty)

Set o = CreateObject("MeridDLLManager.MeridTallo_Scontrino")
Survived "create MeridTallo_Scontrino"
p = 0
o.InitComunicazione p
Survived "InitComunicazione"
For Each s In shorts
  p = s: q = s: o.InitParametri p, q
  Survived "InitParametri " & s
Next
p = 1: o.InitComunicazione p

For Each s In texts
  r = o.StampaBarcode_Fiscale(s, 8): Survived "StampaBarcode_Fiscale text"
  r = o.StampaBarcode_NonFiscale(s, 13): Survived "StampaBarcode_NonFiscale text"
  r = o.Vendita(s, s, 1, 1, 1, s, s, 1): Survived "Vendita text"
  r = o.Reso(s, s, 1, 1, 1, s, s, 1): Survived "Reso text"
  r = o.RigaLiberaFiscale_Vendita(s, 1): Survived "RigaLiberaFiscale_Vendita text"
  r = o.RigaLiberaFiscale_Promo(s): Survived "RigaLiberaFiscale_Promo text"
  r = o.RigaLiberaFiscale_Fondo(s): Survived "RigaLiberaFiscale_Fondo text"
  r = o.RigaLiberaNonFiscale(s, s, s, 1): Survived "RigaLiberaNonFiscale text"
  r = o.ScontoValoreRiga(1, s): Survived "ScontoValoreRiga text"
  r = o.ScontoValoreTotale(1, s): Survived "ScontoValoreTotale text"
  r = o.Pagamento_CorrispettivoRiscosso(1, 1, s): Survived "Pagamento_CorrispettivoRiscosso text"
  r = o.Pagamento_CorrispettivoNonRiscosso(1, 1, s): Survived "Pagamento_CorrispettivoNonRiscosso text"
  r = o.InviaComandoDiretto_CefDLL(s): Survived "InviaComandoDiretto_CefDLL text"
  r = o.Display_MostraRighe(s, s): Survived "Display_MostraRighe text"
  r = o.Display_MostraRiga(s, 1): Survived "Display_MostraRiga text"
Next
For Each v In doubles
  r = o.Vendita("a", "b", v, v, v, "", "22", 1): Survived "Vendita " & v
  r = o.Reso("a", "b", v, v, v, "", "22", 1): Survived "Reso " & v
  r = o.ScontoValoreRiga(v, "d"): Survived "ScontoValoreRiga " & v
  r = o.ScontoValoreTotale(v, "d"): Survived "ScontoValoreTotale " & v
  r = o.Pagamento_CorrispettivoRiscosso(1, v, "CONTANTI"): Survived "Pagamento_CorrispettivoRiscosso " & v
  r = o.Pagamento_CorrispettivoNonRiscosso(1, v, "X"): Survived "Pagamento_CorrispettivoNonRiscosso " & v
Next
For Each v In longs
  r = o.Vendita("a", "b", 1, 1, 1, "", "22", v): Survived "Vendita department " & v
  r = o.Pagamento_CorrispettivoRiscosso(v, 1, "X"): Survived "Pagamento_CorrispettivoRiscosso id " & v
  n = v: r = o.Manutenzione_DGFE_RichiestaRiga(n): Survived "Manutenzione_DGFE_RichiestaRiga " & v
Next
For Each v In shorts
  r = o.Display_MostraRiga("x", v): Survived "Display_MostraRiga index " & v
  p = v: q = v: r = o.Manutenzione_DGFE_IntervalloChiusure(p, q): Survived "DGFE_IntervalloChiusure " & v
  p = v: q = v: t = Now: r = o.Manutenzione_DGFE_Data_NScontrini(t, p, q): Survived "DGFE_Data_NScontrini " & v
Next
For Each v In dates
  t = v: b = v: r = o.Manutenzione_DGFE_StampaIntervalloDate(t, b): Survived "DGFE_StampaIntervalloDate " & v
  t = v: p = 1: q = 2: r = o.Manutenzione_DGFE_Data_NScontrini(t, p, q): Survived "DGFE_Data_NScontrini " & v
Next
For Each e In enums
  r = o.StampaBarcode_Fiscale("123", e): Survived "StampaBarcode_Fiscale type " & e
  r = o.RigaLiberaFiscale_Vendita("x", e): Survived "RigaLiberaFiscale_Vendita font " & e
  r = o.RigaLiberaNonFiscale("x", "y", "z", e): Survived "RigaLiberaNonFiscale font " & e
  t = e: r = o.Manutenzione_EseguiRapportoX(t): Survived "Manutenzione_EseguiRapportoX " & e
Next
For Each s In shorts
  p = s: o.InitComunicazione p: Survived "InitComunicazione " & s
  r = o.ApriTransazioneFiscale: Survived "ApriTransazioneFiscale port " & s
  r = o.StatoStampante: Survived "StatoStampante port " & s
  r = o.IsConnected: Survived "IsConnected port " & s
  r = o.ChiudiTransazioneFiscale: Survived "ChiudiTransazioneFiscale port " & s
  o.ChiudiConnessioneCOM: Survived "ChiudiConnessioneCOM port " & s
Next

Set f = CreateObject("MeridDLLManager.MeridTallo_Fattura")
Set nc = CreateObject("MeridDLLManager.MeridTallo_NAccr")
For Each v In doubles
  p = 1: t = v: b = True: q = 2: e = 0
  r = f.ApriFattura(p, t, b, q, e): Survived "ApriFattura total " & v
  r = f.ChiudiFattura(v): Survived "ChiudiFattura " & v
  p = 1: q = 2: e = 0
  r = nc.ApriNotaAccredito(p, q, e): Survived "ApriNotaAccredito"
  r = nc.ChiudiNotaAccredito(v): Survived "ChiudiNotaAccredito " & v
Next
For Each v In shorts
  p = v: t = 1: b = v: q = v: e = v
  r = f.ApriFattura(p, t, b, q, e): Survived "ApriFattura shorts " & v
  p = v: q = v: e = v
  r = nc.ApriNotaAccredito(p, q, e): Survived "ApriNotaAccredito shorts " & v
Next
For Each s In texts
  e = 1
  r = f.RigaFattura(s, e): Survived "RigaFattura text"
  r = nc.RigaNotaAccredito(s, s, s, e): Survived "RigaNotaAccredito text"
Next
For Each v In enums
  e = v: r = f.RigaFattura("x", e): Survived "RigaFattura font " & v
  e = v: r = nc.RigaNotaAccredito("x", "y", "1", e): Survived "RigaNotaAccredito font " & v
Next
Sent
Finish
