#include "app/program.h"

int main(int argc, char** argv) {
  return zk::runProgram(argc, argv);
}
