// Stand-ins for the archive library that lack some of its entry points.
#include <cstdint>

#ifdef _WIN32
#define ZK_FAKE_EXPORT __declspec(dllexport)
#else
#define ZK_FAKE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

#ifdef ZK_FAKE_CREATE_OBJECT
ZK_FAKE_EXPORT std::int32_t CreateObject(const void*, const void*, void** object) {
  *object = nullptr;
  return static_cast<std::int32_t>(0x80004005u);
}
#endif

ZK_FAKE_EXPORT int ZkFakeArchiveLibrary() {
  return 1;
}
}
