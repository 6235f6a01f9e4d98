#pragma once

namespace zk::test {

// Makes sure the one QApplication of a test binary exists (offscreen).
void ensureQtApplication();

}  // namespace zk::test
