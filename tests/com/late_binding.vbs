' Every method of the three classes by late binding (com_client checks what each sends). Round 0
' passes ordinary values and checks results and by-reference variables; the other rounds pass the
' edges of what each type admits (empty, huge and control strings, Empty, extreme numbers and
' dates, enums outside their lists), and no call may raise an automation error.
Option Explicit
On Error Resume Next
Dim gChecks, gFailures, round, o, f, n, r, s, v, l, h, t, e, p, q, b, d, texts, doubles, longs, shorts, dates, enums

' Every call must succeed; in round 0 its result must also be the expected one.
Sub Check(label, actual, expected)
  Dim got, want
  want = TypeName(expected) & " " & expected
  got = TypeName(actual) & " " & actual
  If round > 0 Then got = want
  If Err.Number <> 0 Then got = "error " & Hex(Err.Number) & " " & Err.Description
  gChecks = gChecks + 1
  If got <> want Then gFailures = gFailures + 1: WScript.Echo "FAIL " & label & " " & round & ": " & got & ", want " & want
  Err.Clear
End Sub

texts = Array("Pane", "", Empty, String(100000, "x"), String(300, Chr(200)), Chr(1) & Chr(0) & vbCrLf & Chr(255), _
              "%s%n%d", "'""<>&|;" & Chr(127))
doubles = Array(1.5, 0, -0.001, 1E+308, -1E+308, 4.94065645841247E-324, 2147483648, -922337203685477, Empty)
longs = Array(123456, 0, -1, 2147483647, -2147483648, Empty)
shorts = Array(2, 0, -1, 32767, -32768, Empty)
dates = Array(DateSerial(2026, 3, 7), CDate(-657434), CDate(2958465.99998843), CDate(0), CDate(-0.5), 46088, Empty)
enums = Array(1, 0, -1, 2147483647, -2147483648, 10, Empty)
Set o = CreateObject("MeridDLLManager.MeridTallo_Scontrino")
Set f = CreateObject("MeridDLLManager.MeridTallo_Fattura")
Set n = CreateObject("MeridDLLManager.MeridTallo_NAccr")
For round = 0 To 8
  s = texts(round Mod 8): v = doubles(round Mod 9): l = longs(round Mod 6): h = shorts(round Mod 6)
  t = dates(round Mod 7): e = enums(round Mod 7)
  p = 1: o.InitComunicazione p: Check "InitComunicazione", p, 1
  p = h: q = h: o.InitParametri p, q: Check "InitParametri", p & q, h & h
  r = o.StatoStampante: Check "StatoStampante", r, CLng(-1)
  r = o.ApriTransazioneFiscale: Check "ApriTransazioneFiscale", r, True
  r = o.Vendita(s, s, v, v, v, s, "22", l): Check "Vendita", r, True
  r = o.Reso(s, s, v, v, v, s, "10", l): Check "Reso", r, True
  r = o.RigaLiberaFiscale_Vendita(s, e): Check "RigaLiberaFiscale_Vendita", r, True
  r = o.RigaLiberaFiscale_Promo(s): Check "RigaLiberaFiscale_Promo", r, True
  r = o.RigaLiberaFiscale_Fondo(s): Check "RigaLiberaFiscale_Fondo", r, True
  r = o.ScontoValoreRiga(v, s): Check "ScontoValoreRiga", r, True
  r = o.ScontoValoreTotale(v, s): Check "ScontoValoreTotale", r, True
  r = o.SubTotale: Check "SubTotale", r, True
  r = o.Pagamento_CorrispettivoRiscosso(l, v, s): Check "Pagamento_CorrispettivoRiscosso", r, True
  r = o.Pagamento_CorrispettivoNonRiscosso(l, v, s): Check "Pagamento_CorrispettivoNonRiscosso", r, True
  r = o.ChiudiTransazioneFiscale: Check "ChiudiTransazioneFiscale", r, True
  r = o.ApriTransazioneNonFiscale: Check "ApriTransazioneNonFiscale", r, True
  r = o.RigaLiberaNonFiscale(s, s, s, e): Check "RigaLiberaNonFiscale", r, True
  r = o.ChiudiTransazioneNonFiscale: Check "ChiudiTransazioneNonFiscale", r, True
  r = o.StampaBarcode_Fiscale(s, e): Check "StampaBarcode_Fiscale", r, True
  r = o.StampaBarcode_NonFiscale(s, e): Check "StampaBarcode_NonFiscale", r, True
  r = o.InviaComandoDiretto_CefDLL(s): Check "InviaComandoDiretto_CefDLL", r, True
  r = o.Display_MostraRighe(s, s): Check "Display_MostraRighe", r, True
  r = o.Display_MostraRiga(s, h): Check "Display_MostraRiga", r, True
  r = o.ApriCassetto: Check "ApriCassetto", r, True
  r = o.ApriCassettoManuale: Check "ApriCassettoManuale", r, True
  r = o.Manutenzione_AnnulloScontrinoAperto: Check "Manutenzione_AnnulloScontrinoAperto", r, True
  r = o.Manutenzione_EseguiRapportoZ: Check "Manutenzione_EseguiRapportoZ", r, True
  p = e: r = o.Manutenzione_EseguiRapportoX(p): Check "Manutenzione_EseguiRapportoX", r & p, "True" & e
  r = o.Manutenzione_RipristinoAnomaliaCarta: Check "Manutenzione_RipristinoAnomaliaCarta", r, True
  r = o.Manutenzione_ProgrammazioneDataOra: Check "Manutenzione_ProgrammazioneDataOra", r, True
  r = o.Manutenzione_RistampaUltimoScontrino: Check "Manutenzione_RistampaUltimoScontrino", r, True
  d = t: p = h: q = h: r = o.Manutenzione_DGFE_Data_NScontrini(d, p, q)
  Check "Manutenzione_DGFE_Data_NScontrini", r & TypeName(d) & d & p & q, "TrueDate" & t & h & h
  r = o.Manutenzione_DGFE_StampaCompleta: Check "Manutenzione_DGFE_StampaCompleta", r, True
  p = h: q = h: r = o.Manutenzione_DGFE_IntervalloChiusure(p, q)
  Check "Manutenzione_DGFE_IntervalloChiusure", r & p & q, "True" & h & h
  r = o.Manutenzione_DFGE_NuovoGiornale: Check "Manutenzione_DFGE_NuovoGiornale", r, True
  p = l: r = o.Manutenzione_DGFE_RichiestaRiga(p): Check "Manutenzione_DGFE_RichiestaRiga", r & p, "True" & l
  d = t: b = t: r = o.Manutenzione_DGFE_StampaIntervalloDate(d, b)
  Check "Manutenzione_DGFE_StampaIntervalloDate", r & TypeName(d) & d & b, "TrueDate" & t & t
  r = o.IsConnected: Check "IsConnected", r, True
  o.ChiudiConnessioneCOM: Check "ChiudiConnessioneCOM", Empty, Empty

  p = 1: d = v: b = e: q = h: l = h: r = f.ApriFattura(p, d, b, q, l)
  Check "ApriFattura", r & p & d & TypeName(b) & b & q & l, "True1" & v & "Integer-1" & h & h
  p = e: r = f.RigaFattura(s, p): Check "RigaFattura", r, True
  r = f.ChiudiFattura(v): Check "ChiudiFattura", r, True
  p = 1: q = h: l = h: r = n.ApriNotaAccredito(p, q, l): Check "ApriNotaAccredito", r & p & q & l, "True1" & h & h
  p = e: r = n.RigaNotaAccredito(s, s, s, p): Check "RigaNotaAccredito", r, True
  r = n.ChiudiNotaAccredito(v): Check "ChiudiNotaAccredito", r, True
  p = h: o.InitComunicazione p: r = o.ApriTransazioneFiscale: Check "ApriTransazioneFiscale on port " & h, p, h
Next
'The outcome of the last call, through each object's own IDispatch: a refusal of the closed link (the
'recorder answers 5) counts as done; an empty command is not sent (declined, as an invoice line with no
'invoice open would be).
round = 0
p = 1: o.InitComunicazione p: o.ChiudiConnessioneCOM
r = o.InviaComandoDiretto_CefDLL("4015")
Check "refused", r & " " & o.UltimoEsito & " " & o.UltimoCodice & " " & o.UltimoNomeCodice & " " & o.UltimoComando & _
  " " & o.UltimaRisposta & " " & o.UltimeRichieste, "True 2 5 ECK_NonPossibile 4015 5 0"
Check "refused, in Italian", o.UltimoMessaggio, "rifiutato e considerato eseguito: 5 ECK_NonPossibile: operazione non possibile"
Check "refused, in English", o.UltimoMessaggioInglese, "refused, counted as done: 5 ECK_NonPossibile: operation not possible"
r = o.InviaComandoDiretto_CefDLL(""): Check "not sent", r & " " & o.UltimoEsito, "False 3"
r = o.IsConnected: r = o.StatoStampante
Check "done", r & " " & o.UltimoEsito & " " & o.UltimoCodice & " [" & o.UltimiDatiLetti & "]", "0 0 0 [000000]"
Set n = CreateObject("MeridDLLManager.MeridTallo_NAccr")
Check "nothing called yet", n.UltimoEsito & " [" & n.UltimoComando & "]", "0 []"
o.ChiudiConnessioneCOM
If gFailures = 0 Then WScript.Echo "vbs suite passed: " & gChecks & " checks" Else WScript.Echo gFailures & " failed"
