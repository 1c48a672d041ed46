// The library for a C++ host: the three document classes and the public
// enumerations. Texts are Windows-1252 std::string (merid::utf8ToAnsi converts
// a UTF-8 text); dates are automation dates (days since 30 December 1899);
// std::optional<bool> is the automation variant (empty = Empty).
//
//   merid::MeridTallo_Scontrino receipt;
//   int16_t port = 1;
//   receipt.InitComunicazione(port);
//   receipt.ApriTransazioneFiscale();
//   receipt.Vendita("", "PANE", 1, 2.5, 2.5, "", "4", 1);
//   receipt.Pagamento_CorrispettivoRiscosso(1, 5, "Contanti");
//   receipt.ChiudiTransazioneFiscale();
//
// Link with the CMake target merid_core. The printer library is found through
// $MERID_CEFDLL, else libCeFdll.so beside the program; settings and logs live
// in $MERID_HOME, else the program's folder.
#ifndef MERID_MERIDDLLMANAGER_H
#define MERID_MERIDDLLMANAGER_H

#include "merid/MeridEnumValue.h"
#include "merid/MeridTallo_Fattura.h"
#include "merid/MeridTallo_NAccr.h"
#include "merid/MeridTallo_Scontrino.h"
#include "merid/codepage.h"

#endif
