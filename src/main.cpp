// drovix "<script>.manga" [-w] [-d] [-r] [-x] [-p]
#include "driver/Driver.h"

int main(int argc, char** argv) { return drovix::RunDriver(argc, argv); }
