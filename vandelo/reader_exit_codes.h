// Vandelo's exit codes: batch scripts branch on them, so they never change.
#pragma once

namespace VandeloExit {
enum TCode : int {
  Ok = 0,
  NoSearchText = 1,  // -s without a value
  FileNotFound = 2,
  FileError = 3,          // reading the file or writing the output failed
  MissingParameters = 6,  // no arguments at all
  HelpShown = 99,
};
}  // namespace VandeloExit
