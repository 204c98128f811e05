// vekbatch: the batch interpreter's executable (see batch_main.cpp for its command line).
#include "platform/batch/batch.h"

int main(int argc, char** argv) {
  return plat::batch::VekbatchMain(argc, argv);
}
