#include "app/program.h"

#include <QApplication>

namespace zk {

int runProgram(int argc, char** argv) {
  QApplication application(argc, argv);
  return 0;
}

}  // namespace zk
