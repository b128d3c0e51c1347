// Faults under the line reader, for the life of the object: the read
// numbered FailAt (from 1) fails with ErrorText (or, with OutOfMemory, finds
// no memory), and BeforeRead, when set, runs before every read with the
// read's number (to cut or grow the file while it is being read).
#pragma once

#include <atomic>
#include <functional>
#include <new>
#include <string>

#include "line_reader.h"

// Reads are counted across threads: the parallel scan reads in several.
struct TReadFault {
  static inline std::atomic<int> Reads = 0;
  static inline int FailAt = 0;
  static inline std::string ErrorText;
  static inline std::function<void(int)> BeforeRead;
  static inline bool OutOfMemory = false;

  explicit TReadFault(int failAt, const std::string& errorText = "Input/output error", bool outOfMemory = false) {
    Reads = 0;
    FailAt = failAt;
    ErrorText = errorText;
    OutOfMemory = outOfMemory;
    BeforeRead = nullptr;
    LineReaderRead = Read;
  }
  ~TReadFault() {
    LineReaderRead = ReadFileAt;
    BeforeRead = nullptr;
  }

  static bool Read(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity, std::size_t* got,
                   std::string* err) {
    const int read = ++Reads;
    if (BeforeRead) BeforeRead(read);
    if (read == FailAt) {
      if (OutOfMemory) throw std::bad_alloc();
      *err = ErrorText;
      return false;
    }
    return ReadFileAt(handle, offset, buffer, capacity, got, err);
  }
};
