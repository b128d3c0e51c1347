// Faults under the line reader, for the life of the object: the read
// numbered FailAt (from 1) fails with ErrorText (or, with OutOfMemory, finds
// no memory), and BeforeRead, when set, runs before every read with the
// read's number and offset (to cut or grow the file, or to hold a reader
// back while it is being read).
//
// Faults by place (AddFaultAt) suit the parallel scan, whose workers read in
// any order: a read at an offset that would cover the byte fails, however
// many reads came before it. Of several such bytes in one read, the first
// decides.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "line_reader.h"

// Reads are counted across threads: the parallel scan reads in several.
struct TReadFault {
  struct TPlaced {
    std::int64_t Offset;
    std::string ErrorText;
    bool OutOfMemory;
  };
  static inline std::atomic<int> Reads = 0;
  static inline int FailAt = 0;
  static inline std::string ErrorText;
  static inline std::function<void(int read, std::int64_t offset)> BeforeRead;
  static inline bool OutOfMemory = false;
  static inline std::vector<TPlaced> Placed;  // by offset

  explicit TReadFault(int failAt, const std::string& errorText = "Input/output error", bool outOfMemory = false)
      : Seam(Read, 0) {
    Reads = 0;
    FailAt = failAt;
    ErrorText = errorText;
    OutOfMemory = outOfMemory;
    BeforeRead = nullptr;
    Placed.clear();
  }
  ~TReadFault() {
    BeforeRead = nullptr;
    Placed.clear();
  }
  TReadSeam Seam;

  // Set before the reads start: the list is read without a lock.
  static void AddFaultAt(std::int64_t offset, const std::string& errorText = "Input/output error",
                         bool outOfMemory = false) {
    Placed.push_back(TPlaced{offset, errorText, outOfMemory});
    std::sort(Placed.begin(), Placed.end(), [](const TPlaced& a, const TPlaced& b) { return a.Offset < b.Offset; });
  }

  static bool Fails(bool outOfMemory, const std::string& text, std::string* err) {
    if (outOfMemory) throw std::bad_alloc();
    *err = text;
    return false;
  }

  static bool Read(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity, std::size_t* got,
                   std::string* err) {
    const int read = ++Reads;
    if (BeforeRead) BeforeRead(read, offset);
    if (read == FailAt) return Fails(OutOfMemory, ErrorText, err);
    if (offset >= 0)
      for (const TPlaced& p : Placed)
        if (p.Offset >= offset && p.Offset - offset < static_cast<std::int64_t>(capacity))
          return Fails(p.OutOfMemory, p.ErrorText, err);
    return PlatRead(handle, offset, buffer, capacity, got, err);
  }
};
