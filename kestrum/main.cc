#include "driver.h"

int main(int argc, char** argv) { return KestrumMain(argc, argv); }
