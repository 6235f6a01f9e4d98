// Writes the demo's update server files and its product installation.
//   zk_make_demo server ROOT STANDIN [OMITTED_FILE...]
//   zk_make_demo install FOLDER SERVER_ADDRESS DATABASE_PATH STANDIN

#include <iostream>
#include <set>
#include <string>

#include "tests/support/demo_fixture.h"
#include "tests/support/temp_folder.h"

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  try {
    if (what == "server" && argc >= 4) {
      std::set<std::string> omit(argv + 4, argv + argc);
      zk::test::writeDemoUpdateServer(argv[2], zk::test::readFile(argv[3]), omit);
      return 0;
    }
    if (what == "install" && argc == 6) {
      zk::test::writeDemoInstallation(argv[2], argv[3], argv[4], zk::test::readFile(argv[5]));
      return 0;
    }
  } catch (const std::exception& failure) {
    std::cerr << "zk_make_demo: " << failure.what() << std::endl;
    return 1;
  }
  std::cerr << "usage: zk_make_demo server ROOT STANDIN [OMIT...]\n"
               "       zk_make_demo install FOLDER ADDRESS DATABASE STANDIN\n";
  return 2;
}
