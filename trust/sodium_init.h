#pragma once

namespace zk::trust {

// Initialises libsodium once per process; throws Error when it cannot be.
void requireSodium();

}  // namespace zk::trust
