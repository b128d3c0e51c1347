#include "startup.h"

int main(int argc, char** argv) {
  OrvellaStartup(argc, argv);
  return OrvellaFinish();
}
