#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace tidewell {

// What went wrong, in the terms the user-facing report needs: an error number
// (0 when there is none), the source that raised it and a description.
struct ErrorInfo {
  int number = 0;
  QString source;
  QString description;
};

// A value or an error. Failures travel as values to the edge of an operation,
// where they are reported once; nothing throws across a module boundary.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
  static Result failure(ErrorInfo error) { return Result(std::move(error)); }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const T& value() const& { return *value_; }
  T&& value() && { return std::move(*value_); }
  T valueOr(T fallback) const { return ok() ? *value_ : std::move(fallback); }
  const ErrorInfo& error() const { return error_; }

 private:
  explicit Result(ErrorInfo error) : error_(std::move(error)) {}
  std::optional<T> value_;
  ErrorInfo error_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  static Result failure(ErrorInfo error) {
    Result r;
    r.failed_ = true;
    r.error_ = std::move(error);
    return r;
  }
  static Result success() { return {}; }

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const ErrorInfo& error() const { return error_; }

 private:
  bool failed_ = false;
  ErrorInfo error_;
};

using Status = Result<void>;

}  // namespace tidewell
