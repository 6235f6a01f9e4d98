#pragma once

namespace zk::platform {

// Whether the system reports a network connection: a network interface other
// than loopback is up with an address, or a default route exists. The
// environment variable ZK_CONNECTIVITY ("online" or "offline") overrides the
// answer, for tests and the demo on machines whose network state is not theirs.
bool internetConnected();
// The system's own answer, without the override.
bool systemReportsConnection();

}  // namespace zk::platform
