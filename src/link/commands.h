#pragma once
// The printer's command codes, by what they do. A command is its code followed
// by its fields; the codes that carry a fixed first field keep it here.

#include <string>

namespace merid::cmd {

// Receipts
inline const std::string kVoidLine = "3001";         // + "8" + text + amount: the whole receipt voided
inline const std::string kDescriptiveLine = "3002";  // + font + length + text
inline const std::string kSubtotal = "3003";
inline const std::string kPaymentCollected = "3004";  // + length + description + amount
inline const std::string kPaymentNotCollected = "3005";
inline const std::string kPrintChange = "3009";
inline const std::string kCloseReceipt = "3011";
inline const std::string kAfterTotalLine = "3012";  // + font + length + text
inline const std::string kPrintAndCut = "3013";
inline const std::string kBarcode = "3021";
inline const std::string kSaleLine = "3101";  // + row type + department + "22" + text + amount

// Non-fiscal slips and invoices
inline const std::string kOpenNonFiscal = "40011";
inline const std::string kOpenInvoice = "40012";  // + two copies + total
inline const std::string kShopHeader = "4002";
inline const std::string kNonFiscalLine = "4003";  // + font + "32" + text
inline const std::string kInvoiceTotalLine = "4003F";
inline const std::string kCloseNonFiscal = "4004";
inline const std::string kCloseInvoice = "4006";

// Credit notes
inline const std::string kOpenCreditNote = "7102600000";
inline const std::string kCreditNoteLine = "3001120";  // + text
inline const std::string kCreditNoteCash = "300408CONTANTI";
inline const std::string kCreditNoteReference = "3010P12___________";

// Display and drawer
inline const std::string kDisplay = "7007";  // + two lines of 20
inline const std::string kOpenDrawer = "70081";

// Reports and maintenance
inline const std::string kSetClock = "2001";  // + ddmmyy + hhmm
inline const std::string kZReport = "2002";
inline const std::string kXReport = "2003";
inline const std::string kReprintLast = "4007";
inline const std::string kJournalByDates = "8001";
inline const std::string kJournalByDateAndNumbers = "8002";
inline const std::string kJournalByClosings = "8003";
inline const std::string kJournalLine = "8004";
inline const std::string kJournalWhole = "8005";
inline const std::string kNewJournal = "8007";

}  // namespace merid::cmd
