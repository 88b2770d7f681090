// The record of an exception that nobody handled: what was thrown, where, a
// stack trace taken when it was caught, and a state line saying what the
// program was doing. The report text is built from it by the log layer.
#pragma once
#include <exception>
#include <memory>
#include <string>

namespace zw {

struct TZWExceptInfo {
  std::exception_ptr ExceptObject;  // keeps the exception alive with the record
  std::string ClassName;            // type name of the exception
  std::string Message;              // what() or a description for non-standard throws
  const void* ExceptAddr = nullptr; // where it was caught, when known
  std::string StackTrace;           // recorded stack, empty when none
  std::string State;                // the reporter's state line, may be empty

  // Builds a record from the exception currently being handled. Call only
  // inside a catch block.
  static std::shared_ptr<TZWExceptInfo> FromCurrent(const std::string& state);
};

// Captures a stack trace of the calling thread as text; set by the log layer
// at start-up (the engine itself has no symbol facility). Null = none.
using TStackCapture = std::string (*)();
void SetStackCapture(TStackCapture capture);
TStackCapture GetStackCapture();

}  // namespace zw
