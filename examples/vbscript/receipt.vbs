' A receipt from VBScript, through the registered MeridDLLManager.dll:
'   regsvr32 MeridDLLManager.dll      (once; CeFdll.dll beside it)
'   cscript //nologo receipt.vbs
Option Explicit

Dim ecr
Set ecr = CreateObject("MeridDLLManager.MeridTallo_Scontrino")
ecr.InitComunicazione 1

' IsConnected opens the printer link; StatoStampante then reads the status
' (0: ready, 16: paper end, 64: cover open, -1: no answer).
If Not ecr.IsConnected() Then
  WScript.Echo "No printer on port 1."
  WScript.Quit 1
End If
If ecr.StatoStampante <> 0 Then
  WScript.Echo "The printer is not ready: status " & ecr.StatoStampante
  WScript.Quit 1
End If

Check "open", ecr.ApriTransazioneFiscale()
Check "sale", ecr.Vendita("", "PANE", 2, 1.25, 2.5, "", "4", 1)
Check "sale", ecr.Vendita("", "LATTE", 1, 1.1, 1.1, "", "4", 1)
Check "discount", ecr.ScontoValoreRiga(0.3, "SCONTO")
ecr.RigaLiberaFiscale_Promo "GRAZIE E ARRIVEDERCI"
Check "subtotal", ecr.SubTotale()
Check "payment", ecr.Pagamento_CorrispettivoRiscosso(1, 5, "Contanti")
Check "close", ecr.ChiudiTransazioneFiscale()
ecr.ChiudiConnessioneCOM
WScript.Echo "Receipt printed."

' Every method answers with a value, never an error: a False means the
' printer refused, and the library's log says why.
Sub Check(what, ok)
  If Not ok Then
    WScript.Echo what & " failed: cancelling the receipt"
    ecr.Manutenzione_AnnulloScontrinoAperto
    WScript.Quit 1
  End If
End Sub
