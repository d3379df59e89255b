// What a store operation gives back: a value, or an error with a text the windows can show.
// The stores never throw; every store call ends in one of these.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace tallowick {

enum class StoreErrorKind {
  Damaged,   // the stored data cannot be read as the book (corrupt file, foreign file, bad values)
  Locked,    // another program holds the store and did not let go in time
  ReadOnly,  // the store may be read but not written
  Unavailable,  // the store cannot be found, created or opened at all
  Failed,       // a read or write failed for another reason; nothing was changed
  Denied,       // the server refused by its grants: the user has no right to it
  Conflict,     // another holds it (a number of the book), or a newer format is there
};

struct StoreError {
  StoreErrorKind kind = StoreErrorKind::Failed;
  std::string message;  // a full sentence for a message box
};

template <typename T>
class [[nodiscard]] StoreResult {
 public:
  StoreResult(T value) : value_(std::move(value)) {}
  StoreResult(StoreError error) : error_(std::move(error)) {}

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const T& value() const& { return *value_; }
  T&& value() && { return std::move(*value_); }
  const StoreError& error() const { return error_; }

 private:
  std::optional<T> value_;
  StoreError error_;
};

template <>
class [[nodiscard]] StoreResult<void> {
 public:
  StoreResult() = default;
  StoreResult(StoreError error) : failed_(true), error_(std::move(error)) {}

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const StoreError& error() const { return error_; }

 private:
  bool failed_ = false;
  StoreError error_;
};

using StoreStatus = StoreResult<void>;

}  // namespace tallowick
