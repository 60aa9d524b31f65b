// Errors of the whole system.
//
// Every failure is an exception derived from corvane::Error and carries the
// English message the user sees. Subclasses exist only where a caller must
// tell one kind from another.
#ifndef CORVANE_PLATFORM_ERROR_H_
#define CORVANE_PLATFORM_ERROR_H_

#include <stdexcept>
#include <string>

namespace corvane {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message);
};

// A text that should hold a number does not ("'%s' is not a valid integer value").
class ConversionError : public Error {
 public:
  using Error::Error;
};

// A read or write failed; `code` is the run-time error number (103, ...).
class IoError : public Error {
 public:
  IoError(const std::string& message, int code);
  int code() const { return code_; }

 private:
  int code_;
};

}  // namespace corvane

#endif  // CORVANE_PLATFORM_ERROR_H_
