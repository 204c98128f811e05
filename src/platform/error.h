#pragma once
// Exceptions of the platform layer and of everything built on it. Errors carry plain texts; the texts
// that callers and users see are given where they are raised.
#include <stdexcept>
#include <string>

namespace plat {

/// The general exception class: bounds and state violations of the grid, file errors of the program.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// A text that does not convert to the wanted type ("'%s' is not a valid integer value", ...).
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

/// A byte sequence that is not valid in the source encoding, or a character the target encoding lacks.
class EEncodingError : public Exception {
 public:
  using Exception::Exception;
};

/// A file that cannot be opened, read or written.
class EFileError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace plat
