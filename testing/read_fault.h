// Faults under the line reader, for the life of the object: the read
// numbered FailAt (from 1) fails with ErrorText, and BeforeRead, when set,
// runs before every read with the read's number (to cut or grow the file
// while it is being read).
#pragma once

#include <functional>
#include <string>

#include "line_reader.h"

struct TReadFault {
  static inline int Reads = 0;
  static inline int FailAt = 0;
  static inline std::string ErrorText;
  static inline std::function<void(int)> BeforeRead;

  explicit TReadFault(int failAt, const std::string& errorText = "Input/output error") {
    Reads = 0;
    FailAt = failAt;
    ErrorText = errorText;
    BeforeRead = nullptr;
    LineReaderRead = Read;
  }
  ~TReadFault() {
    LineReaderRead = ReadFileAt;
    BeforeRead = nullptr;
  }

  static bool Read(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity, std::size_t* got,
                   std::string* err) {
    ++Reads;
    if (BeforeRead) BeforeRead(Reads);
    if (Reads == FailAt) {
      *err = ErrorText;
      return false;
    }
    return ReadFileAt(handle, offset, buffer, capacity, got, err);
  }
};
