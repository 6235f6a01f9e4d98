// Stand-ins for the archive library that lack some of its entry points.
#include <cstdint>

extern "C" {

#ifdef ZK_FAKE_CREATE_OBJECT
__attribute__((visibility("default"))) std::int32_t CreateObject(const void*, const void*,
                                                                 void** object) {
  *object = nullptr;
  return static_cast<std::int32_t>(0x80004005u);
}
#endif

__attribute__((visibility("default"))) int ZkFakeArchiveLibrary() {
  return 1;
}
}
