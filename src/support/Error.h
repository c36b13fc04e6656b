#pragma once
// Failures raised inside the library. The exports catch every one of them;
// nothing unwinds through the C ABI.

#include <stdexcept>
#include <string>

namespace kanvio {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// No answer at all: refused, timed out, TLS failure, dropped connection.
class TransportError : public Error {
 public:
  using Error::Error;
};

// An answer whose status the caller cannot use.
class HttpStatusError : public Error {
 public:
  HttpStatusError(int status, const std::string& message) : Error(message), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

// A document that is not well-formed or lacks what the caller needs.
class XmlError : public Error {
 public:
  XmlError(const std::string& message, long line = 0) : Error(message), line_(line) {}
  long line() const { return line_; }

 private:
  long line_;
};

class FileNotFoundError : public Error {
 public:
  using Error::Error;
};

class CryptoError : public Error {
 public:
  using Error::Error;
};

}  // namespace kanvio
