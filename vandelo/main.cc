#include "reader_driver.h"

int main(int argc, char** argv) { return VandeloMain(argc, argv); }
