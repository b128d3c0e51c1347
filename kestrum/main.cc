#include "driver.h"
#include "startup.h"

int main(int argc, char** argv) {
  OrvellaStartup(argc, argv);
  RunKestrum();
  return OrvellaFinish();
}
