#include "trust/sodium_init.h"

#include <sodium.h>

#include "core/error.h"

namespace zk::trust {

void requireSodium() {
  static const bool ready = sodium_init() >= 0;
  if (!ready) {
    throw Error("libsodium could not be initialised");
  }
}

}  // namespace zk::trust
