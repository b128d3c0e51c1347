#include "platform/platform.h"
#include "reader_driver.h"
#include "startup.h"

int main(int argc, char** argv) {
  OrvellaStartup(argc, argv);
  RunVandelo(PlatArguments());
  return OrvellaFinish();
}
