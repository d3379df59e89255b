// The error codes the virtual printer answers with, defined once with their meaning.
// "0000" is success; everything else means the command was not carried out.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tallowick::sim {

enum class PrinterError : std::uint8_t {
  None,
  BadData,            // a field is missing, extra, or not what the command takes
  BadPassword,        // the first field is not the device password (strict)
  UnknownCommand,     // no such command (strict)
  UnknownFunction,    // a report, test or display function the printer does not have (strict)
  NoDocument,         // the command needs an open receipt (strict)
  DocumentOpen,       // the command needs no receipt open (strict)
  WrongDocument,      // the receipt open is not the kind this command works in (strict)
  UnknownArticle,     // sale of an article never programmed (strict)
  UnknownPayment,     // payment of a type never programmed (strict)
  NotPaid,            // closing a fiscal receipt that is not paid in full (strict)
  NotEnoughCash,      // a cash-out above what the drawer holds (strict)
  BadLineRate,        // 27h with a rate the printer cannot run at
  AlreadyProgrammed,  // the factory serial number is written once (strict)
  BadDateTime,        // 20h with a date or time that does not exist
};

struct PrinterErrorInfo {
  PrinterError error;
  std::string_view code;
  std::string_view meaning;
};

inline constexpr std::array<PrinterErrorInfo, 15> kPrinterErrors = {{
    {PrinterError::None, "0000", "done"},
    {PrinterError::BadData, "0002", "bad data field"},
    {PrinterError::BadPassword, "0003", "wrong password"},
    {PrinterError::UnknownCommand, "0004", "unknown command"},
    {PrinterError::UnknownFunction, "0005", "no such function"},
    {PrinterError::NoDocument, "0010", "no receipt open"},
    {PrinterError::DocumentOpen, "0011", "a receipt is open"},
    {PrinterError::WrongDocument, "0012", "not possible in this receipt"},
    {PrinterError::UnknownArticle, "0020", "article not programmed"},
    {PrinterError::UnknownPayment, "0021", "payment type not programmed"},
    {PrinterError::NotPaid, "0022", "receipt not paid in full"},
    {PrinterError::NotEnoughCash, "0023", "not enough cash in the drawer"},
    {PrinterError::BadLineRate, "0030", "line rate not supported"},
    {PrinterError::AlreadyProgrammed, "0040", "already programmed"},
    {PrinterError::BadDateTime, "0041", "no such date or time"},
}};

inline constexpr std::string_view errorCode(PrinterError error) {
  for (const auto& e : kPrinterErrors) {
    if (e.error == error) return e.code;
  }
  return "0000";
}

}  // namespace tallowick::sim
