' The invoice and credit-note classes by late binding: a whole document each,
' the line guard on the document-open flag, and by-reference variables.
Dim f, nc, port, total, twoCopies, a, b, style

Sent
Set f = CreateObject("MeridDLLManager.MeridTallo_Fattura")
style = 2
Expect "RigaFattura before ApriFattura", f.RigaFattura("Prima", style), False, ""
port = 1: total = 12.5: twoCopies = False: a = 2: b = 0
Expect "ApriFattura", f.ApriFattura(port, total, twoCopies, a, b), True, _
       "open 1 19200|70081|7007Apertura Cassetto                       |30160|400120000001250|4002"
Check "ApriFattura keeps the variables", port & "," & total & "," & twoCopies & "," & a & "," & b, _
      "1,12.5,False,2,0"
Check "ApriFattura keeps a Boolean a Boolean", VarType(twoCopies), vbBoolean
Expect "RigaFattura", f.RigaFattura("Consulenza", style), True, "4003232Consulenza                      "
Check "RigaFattura keeps the font", style, 2
Expect "RigaFattura, literal font", f.RigaFattura("Riga", 1), True, "4003132Riga                            "
Expect "ChiudiFattura", f.ChiudiFattura(12.5), True, "4003F07Importo000001250|4006|close"
Expect "RigaFattura after ChiudiFattura", f.RigaFattura("Dopo", style), False, ""

Set nc = CreateObject("MeridDLLManager.MeridTallo_NAccr")
style = 1
Expect "RigaNotaAccredito before ApriNotaAccredito", nc.RigaNotaAccredito("a", "b", "1", style), False, ""
port = 1: a = 2: b = 0
Expect "ApriNotaAccredito", nc.ApriNotaAccredito(port, a, b), True, "open 1 19200|30160|7102600000"
Expect "RigaNotaAccredito", nc.RigaNotaAccredito("Reso", "merce", "3,50", style), True, _
       "3001120Reso                000000350"
Expect "ChiudiNotaAccredito", nc.ChiudiNotaAccredito(3.5), True, "300408CONTANTI000000350|3010P12___________|3011|3013"
' The credit note stays open for lines after its closing.
Expect "RigaNotaAccredito after ChiudiNotaAccredito", nc.RigaNotaAccredito("Ancora", "", "1,00", style), True, _
       "3001120Ancora              000000100"
Finish
