#include "codes.h"

#include <cstdio>

#include "merid/outcome.h"

namespace meridctl {

std::string codesTable(bool markdown) {
  std::string out;
  if (markdown) {
    out +=
        "# Printer result numbers\n\n"
        "<!-- Written by `meridctl codes --markdown`; a test keeps the two the same. -->\n\n"
        "The numbers a printer answers to a command (and `StatoStampante` answers), with their\n"
        "`MeridCodeErrors` name. A refusal other than paper end (16) and cover open (64) counts as\n"
        "done: the call answers True and its outcome (`UltimoEsito`) carries the number. -1 means\n"
        "nothing went out. Any other negative answer to a command is a write that failed part-way:\n"
        "the outcome is \"unknown\", and the journal tells whether the printer executed it.\n\n"
        "| Number | Name | Italiano | English | What to do |\n|---:|---|---|---|---|\n";
    for (const auto& c : merid::resultCodes())
      out += "| " + std::to_string(c.number) + " | `" + c.name + "` | " + c.italian + " | " + c.english +
             " | " + c.action + " |\n";
    return out;
  }
  for (const auto& c : merid::resultCodes()) {
    char head[80];
    std::snprintf(head, sizeof head, "%4d  %s\n", static_cast<int>(c.number), c.name);
    out += head;
    out +=
        std::string("      it: ") + c.italian + "\n      en: " + c.english + "\n      do: " + c.action + "\n";
  }
  return out;
}

}  // namespace meridctl
