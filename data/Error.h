#pragma once

#include <stdexcept>
#include <string>

// The one error class of the system. what() carries the message exactly as the user sees it.
class TError : public std::runtime_error {
  public:
    explicit TError(const std::string& message) : std::runtime_error(message) {}
};

// Raised when a stored record ends before all of its bytes were read.
class TTruncatedError : public TError {
  public:
    using TError::TError;
};

// Raised when the one who asked for a long read stopped it; nothing was changed.
class TReadCancelled : public TError {
  public:
    TReadCancelled() : TError("Reading was stopped.") {}
};
