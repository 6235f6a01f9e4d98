#pragma once

#include <utility>

namespace zk {

// A step list paired with the list that must run after it whatever happens:
//
//   block([&] { ... }).cleanup([&] { ... });
//
// The cleanup runs after the block, also when the block failed; the block's
// failure then goes on once the cleanup has run. A failure inside the cleanup
// takes the place of the block's failure (it leaves the catch handler, and
// the earlier exception is dropped).
template <typename Block>
class [[nodiscard]] PendingBlock {
 public:
  explicit PendingBlock(Block block) : block_(std::move(block)) {}

  template <typename Cleanup>
  void cleanup(Cleanup&& cleanup) && {
    try {
      block_();
    } catch (...) {
      cleanup();
      throw;
    }
    cleanup();
  }

 private:
  Block block_;
};

template <typename Block>
PendingBlock<Block> block(Block steps) {
  return PendingBlock<Block>(std::move(steps));
}

}  // namespace zk
