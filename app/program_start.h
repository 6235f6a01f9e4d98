#pragma once

#include <memory>
#include <string>

namespace zk {

class Tdm;

// The data module comes before any window: without the database client
// library the program cannot run at all. After a failure the "Application
// Error" box has been shown (naming the program as started) and nothing is
// returned.
std::unique_ptr<Tdm> createDataModule(const std::string& programPath);

}  // namespace zk
