' Every method of MeridTallo_Scontrino by late binding, as a point-of-sale
' script calls them: results, the exact commands sent, and by-reference
' variables coming back with their values.
Dim o, port, a, b, d, d1, d2, n, x
Sent

' A line on the shopper display: the text, then the amount at the right
' after the euro sign (character 127 unless display.ini says otherwise).
Function Shown(text, amount)
  Shown = "7007" & Left(text & Space(20), 20) & Right(Space(20) & Chr(127) & " " & amount, 20)
End Function

Set o = CreateObject("MeridDLLManager.MeridTallo_Scontrino")
' No port yet: the guarded methods send nothing and answer their defaults.
Expect "Vendita without port", o.Vendita("", "Pane", 1, 1, 1, "", "22", 1), False, ""
Expect "ScontoValoreTotale without port", o.ScontoValoreTotale(1, "x"), Empty, ""
Expect "ApriCassetto without port", o.ApriCassetto, Empty, ""
Expect "StatoStampante without port", o.StatoStampante, CLng(0), ""
Expect "RipristinoAnomaliaCarta without port", o.Manutenzione_RipristinoAnomaliaCarta, True, ""

' A by-reference Integer parameter given a script variable.
port = 1
o.InitComunicazione port
Check "InitComunicazione keeps the variable", port, 1
a = 2: b = 3
o.InitParametri a, b
Check "InitParametri keeps the variables", a & "," & b, "2,3"
Check "InitParametri sends nothing", Sent(), ""

Expect "StatoStampante, link closed", o.StatoStampante, CLng(-1), ""
Expect "ApriTransazioneFiscale", o.ApriTransazioneFiscale, True, "open 1 19200|30160"
Expect "StatoStampante, ready", o.StatoStampante, CLng(0), ""
Expect "Vendita", o.Vendita("Agg", "Pane", 2, 1.25, 2.5, "A", "22", 3), True, _
       "3002132*   2,000 x    1,25             |310110122Pane                  000000250|" & _
       Shown("Pane", "2,50")
Expect "Reso", o.Reso("Agg", "Latte", 1, 0.99, 0.99, "A", "10", 2), True, _
       "3002103Agg|310190122Latte                 000000099|" & Shown("Reso:Latte", "0,99")
Expect "RigaLiberaFiscale_Vendita", o.RigaLiberaFiscale_Vendita("Riga", 2), True, "3002204Riga"
Expect "RigaLiberaFiscale_Promo", o.RigaLiberaFiscale_Promo("Promo"), True, ""
Expect "RigaLiberaFiscale_Fondo", o.RigaLiberaFiscale_Fondo("Fondo"), True, ""
Expect "ScontoValoreRiga", o.ScontoValoreRiga(0.5, "Sc riga"), True, _
       "310130122Sc riga               000000050|" & Shown("Sc riga", "0,50")
Expect "ScontoValoreTotale", o.ScontoValoreTotale(0.25, "Sc tot"), True, _
       "310130122Sc tot                000000025|" & Shown("Sc tot", "0,25")
Expect "SubTotale", o.SubTotale, True, "3003"
Expect "Pagamento_CorrispettivoRiscosso", o.Pagamento_CorrispettivoRiscosso(1, 5, "CONTANTI"), True, _
       Shown("CONTANTI", "5,00") & "|300408CONTANTE000000500"
Expect "Pagamento_CorrispettivoNonRiscosso", o.Pagamento_CorrispettivoNonRiscosso(2, 1, "TICKET"), True, _
       Shown("NON PAGATO", "1,00") & "|300510NON PAGATO000000100"
Expect "ChiudiTransazioneFiscale", o.ChiudiTransazioneFiscale, True, "3011|3012105Promo|3012105Fondo|3013"

Expect "ApriTransazioneNonFiscale", o.ApriTransazioneNonFiscale, True, "40011"
Expect "RigaLiberaNonFiscale", o.RigaLiberaNonFiscale("T1", "T2", "1,00", 1), True, _
       "4003132T1                              |4003132T2                          1,00"
Expect "ChiudiTransazioneNonFiscale", o.ChiudiTransazioneNonFiscale, True, "4004"

Expect "StampaBarcode_Fiscale", o.StampaBarcode_Fiscale("12345670", 8), True, "302122000812345670"
Expect "StampaBarcode_NonFiscale", o.StampaBarcode_NonFiscale("ABC", 39), True, "3021320003ABC"
Expect "InviaComandoDiretto_CefDLL", o.InviaComandoDiretto_CefDLL("4015"), True, "4015"
Expect "Display_MostraRighe", o.Display_MostraRighe("Uno", "Due"), True, "7007Uno                 Due                 "
Expect "Display_MostraRiga", o.Display_MostraRiga("Tre", 2), True, "7007                    Tre                 "
Expect "ApriCassetto", o.ApriCassetto, True, "70081|7007Apertura Cassetto                       "
Expect "ApriCassettoManuale", o.ApriCassettoManuale, True, "70081|7007Apertura Cassetto                       "

Expect "Manutenzione_AnnulloScontrinoAperto", o.Manutenzione_AnnulloScontrinoAperto, True, _
       "3001819Annullo transazione000000000|3011|3013"
Expect "Manutenzione_EseguiRapportoZ", o.Manutenzione_EseguiRapportoZ, True, "2002"
x = 1
Expect "Manutenzione_EseguiRapportoX", o.Manutenzione_EseguiRapportoX(x), True, "2003"
Expect "Manutenzione_EseguiRapportoX, literal", o.Manutenzione_EseguiRapportoX(1), True, "2003"
Expect "Manutenzione_RipristinoAnomaliaCarta", o.Manutenzione_RipristinoAnomaliaCarta, True, ""
Check "Manutenzione_ProgrammazioneDataOra result", o.Manutenzione_ProgrammazioneDataOra, True
d = Sent()
Check "Manutenzione_ProgrammazioneDataOra sends 2001 ddmmyyhhmm", Left(d, 4) & Len(d), "200114"
Expect "Manutenzione_RistampaUltimoScontrino", o.Manutenzione_RistampaUltimoScontrino, True, "4007"

' By-reference Date and Integer parameters given script variables, then
' literals (passed by value: nothing to write back).
d = DateSerial(2026, 3, 7): a = 5: b = 9
Expect "Manutenzione_DGFE_Data_NScontrini", o.Manutenzione_DGFE_Data_NScontrini(d, a, b), True, "8002070326000500090"
Check "DGFE_Data_NScontrini keeps the date", VarType(d) & " " & d, vbDate & " " & DateSerial(2026, 3, 7)
Check "DGFE_Data_NScontrini keeps the numbers", a & "," & b, "5,9"
Expect "Manutenzione_DGFE_Data_NScontrini, literals", _
       o.Manutenzione_DGFE_Data_NScontrini(#3/7/2026#, 5, 9), True, "8002070326000500090"
Expect "Manutenzione_DGFE_StampaCompleta", o.Manutenzione_DGFE_StampaCompleta, True, "8005"
a = 3: b = 4
Expect "Manutenzione_DGFE_IntervalloChiusure", o.Manutenzione_DGFE_IntervalloChiusure(a, b), True, "8003000300040000"
Expect "Manutenzione_DFGE_NuovoGiornale", o.Manutenzione_DFGE_NuovoGiornale, True, "8007"
n = 77
Expect "Manutenzione_DGFE_RichiestaRiga", o.Manutenzione_DGFE_RichiestaRiga(n), True, "8004000000077"
n = 123456
Expect "Manutenzione_DGFE_RichiestaRiga, Long", o.Manutenzione_DGFE_RichiestaRiga(n), True, "8004000123456"
d1 = DateSerial(2026, 1, 2): d2 = DateSerial(2026, 2, 3)
Expect "Manutenzione_DGFE_StampaIntervalloDate", o.Manutenzione_DGFE_StampaIntervalloDate(d1, d2), True, _
       "80010201260302260"
' A date held as a number converts like any automation date.
d1 = CLng(DateSerial(2026, 1, 2))
Expect "Manutenzione_DGFE_StampaIntervalloDate, number", o.Manutenzione_DGFE_StampaIntervalloDate(d1, d2), True, _
       "80010201260302260"
Expect "IsConnected", o.IsConnected, True, ""
o.ChiudiConnessioneCOM
Check "ChiudiConnessioneCOM", Sent(), "close"

' InitComunicazione -1 means no port again.
port = -1
o.InitComunicazione port
Expect "SubTotale after port -1", o.SubTotale, False, ""
Finish
