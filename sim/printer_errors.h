// The error codes the virtual printer answers with, defined once with their meaning.
// "0000" is success; everything else means the command was not carried out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/x_list.h"

namespace tallowick::sim {

// X(name, code, meaning); "(strict)" marks what only a strict printer refuses.
#define TALLOWICK_PRINTER_ERRORS(X)                                           \
  X(None, "0000", "done")                                                     \
  /* a field is missing, extra, or not what the command takes */              \
  X(BadData, "0002", "bad data field")                                        \
  /* the first field is not the device password (strict) */                   \
  X(BadPassword, "0003", "wrong password")                                    \
  /* no such command (strict) */                                              \
  X(UnknownCommand, "0004", "unknown command")                                \
  /* a report, test or display function the printer does not have (strict) */ \
  X(UnknownFunction, "0005", "no such function")                              \
  /* the command needs an open receipt (strict) */                            \
  X(NoDocument, "0010", "no receipt open")                                    \
  /* the command needs no receipt open (strict) */                            \
  X(DocumentOpen, "0011", "a receipt is open")                                \
  /* the receipt open is not the kind this command works in (strict) */       \
  X(WrongDocument, "0012", "not possible in this receipt")                    \
  /* sale of an article never programmed (strict) */                          \
  X(UnknownArticle, "0020", "article not programmed")                         \
  /* payment of a type never programmed (strict) */                           \
  X(UnknownPayment, "0021", "payment type not programmed")                    \
  /* closing a fiscal receipt that is not paid in full (strict) */            \
  X(NotPaid, "0022", "receipt not paid in full")                              \
  /* a cash-out above what the drawer holds (strict) */                       \
  X(NotEnoughCash, "0023", "not enough cash in the drawer")                   \
  /* 27h with a rate the printer cannot run at */                             \
  X(BadLineRate, "0030", "line rate not supported")                           \
  /* the factory serial number is written once (strict) */                    \
  X(AlreadyProgrammed, "0040", "already programmed")                          \
  /* 20h with a date or time that does not exist */                           \
  X(BadDateTime, "0041", "no such date or time")

enum class PrinterError : std::uint8_t { TALLOWICK_PRINTER_ERRORS(TALLOWICK_ENUMERATOR) };

struct PrinterErrorInfo {
  PrinterError error;
  std::string_view code;
  std::string_view meaning;
};

inline constexpr PrinterErrorInfo kPrinterErrors[] = {
#define TALLOWICK_PRINTER_ERROR_INFO(name, code, meaning) {PrinterError::name, code, meaning},
    TALLOWICK_PRINTER_ERRORS(TALLOWICK_PRINTER_ERROR_INFO)
#undef TALLOWICK_PRINTER_ERROR_INFO
};

inline constexpr std::string_view errorCode(PrinterError error) {
  return kPrinterErrors[static_cast<std::size_t>(error)].code;
}

}  // namespace tallowick::sim
