#pragma once

// The archive library's COM-style interfaces as its Linux and Windows builds
// lay them out: IUnknown has no virtual destructor, so QueryInterface, AddRef
// and Release are the first three slots and each interface's methods follow
// in the published order. Result codes and property identifiers are 32-bit;
// wide strings are wchar_t holding UTF-16 code units (4 bytes a unit on
// Linux, 2 on Windows). On 64-bit Windows a property value is the system's
// 24-byte PROPVARIANT.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

// Calls into the library's objects: their dynamic types are the library's
// own classes, which the undefined-behaviour checker cannot match with these
// declarations.
#if defined(__clang__) || defined(__GNUC__)
#define ZK_CALLS_LIBRARY_OBJECTS __attribute__((no_sanitize("vptr")))
#else
#define ZK_CALLS_LIBRARY_OBJECTS
#endif

namespace zk::sevenzip {

using HRESULT = std::int32_t;
using PROPID = std::uint32_t;
using VARTYPE = std::uint16_t;
using BSTR = wchar_t*;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

// A file-system failure as the library's Linux build reports it: the errno
// value in the Win32 facility.
inline HRESULT resultFromErrno(int errnoValue) {
  return static_cast<HRESULT>(0x80070000u | (static_cast<std::uint32_t>(errnoValue) & 0xFFFF));
}

struct GUID {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];

  friend bool operator==(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
  }
};
static_assert(sizeof(GUID) == 16);

enum : VARTYPE { VT_EMPTY = 0, VT_BSTR = 8, VT_BOOL = 11, VT_UI4 = 19, VT_UI8 = 21 };

struct PROPVARIANT {
  VARTYPE vt = VT_EMPTY;
  std::uint16_t reserved1 = 0;
  std::uint16_t reserved2 = 0;
  std::uint16_t reserved3 = 0;
  union {
    std::int16_t boolVal;
    std::uint32_t ulVal;
    std::uint64_t uhVal;
    BSTR bstrVal;
#ifdef _WIN32
    // The system's union also holds counted arrays (a count and a pointer).
    void* pair[2];
#endif
  };
  PROPVARIANT() {
    std::memset(static_cast<void*>(this), 0, sizeof *this);
  }
};
#if defined(_WIN32) && defined(_WIN64)
static_assert(sizeof(PROPVARIANT) == 24);
#else
static_assert(sizeof(PROPVARIANT) == 16);
#endif

// Property identifiers of items and of the archive.
inline constexpr PROPID kpidPath = 3;
inline constexpr PROPID kpidIsDir = 6;
inline constexpr PROPID kpidErrorFlags = 71;

// Extraction modes and item results the library reports.
inline constexpr std::int32_t kAskExtract = 0;
enum OperationResult : std::int32_t {
  kResultOk = 0,
  kResultUnsupportedMethod,
  kResultDataError,
  kResultCrcError,
  kResultUnavailable,
  kResultUnexpectedEnd,
  kResultDataAfterEnd,
  kResultIsNotArc,
  kResultHeadersError,
  kResultWrongPassword,
};

// Bits of the archive's error flags after an open.
inline constexpr std::uint32_t kErrorFlagIsNotArc = 1u << 0;
inline constexpr std::uint32_t kErrorFlagHeadersError = 1u << 1;
inline constexpr std::uint32_t kErrorFlagEncryptedHeadersError = 1u << 2;
inline constexpr std::uint32_t kErrorFlagUnavailableStart = 1u << 3;
inline constexpr std::uint32_t kErrorFlagUnexpectedEnd = 1u << 5;
inline constexpr std::uint32_t kErrorFlagDataError = 1u << 9;
inline constexpr std::uint32_t kErrorFlagCrcError = 1u << 10;

// Interface identifiers. 7-Zip's own are {23170F69-40C1-278A-0000-00gg00ii0000}
// with the group gg and the interface ii.
constexpr GUID sevenZipInterface(std::uint8_t group, std::uint8_t id) {
  return GUID{0x23170F69, 0x40C1, 0x278A, {0x00, 0x00, 0x00, group, 0x00, id, 0x00, 0x00}};
}

inline constexpr GUID IID_IUnknown{
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID IID_IProgress = sevenZipInterface(0x00, 0x05);
inline constexpr GUID IID_ISequentialInStream = sevenZipInterface(0x03, 0x01);
inline constexpr GUID IID_ISequentialOutStream = sevenZipInterface(0x03, 0x02);
inline constexpr GUID IID_IInStream = sevenZipInterface(0x03, 0x03);
inline constexpr GUID IID_IOutStream = sevenZipInterface(0x03, 0x04);
inline constexpr GUID IID_IStreamGetSize = sevenZipInterface(0x03, 0x06);
inline constexpr GUID IID_IOutStreamFlush = sevenZipInterface(0x03, 0x07);
inline constexpr GUID IID_ICryptoGetTextPassword = sevenZipInterface(0x05, 0x10);
inline constexpr GUID IID_IArchiveOpenCallback = sevenZipInterface(0x06, 0x10);
inline constexpr GUID IID_IArchiveExtractCallback = sevenZipInterface(0x06, 0x20);
inline constexpr GUID IID_IArchiveOpenVolumeCallback = sevenZipInterface(0x06, 0x30);
inline constexpr GUID IID_IArchiveOpenSetSubArchiveName = sevenZipInterface(0x06, 0x50);
inline constexpr GUID IID_IInArchive = sevenZipInterface(0x06, 0x60);

// The archive-handler class of the RAR 5.0 format (format byte 0xCC).
inline constexpr GUID CLSID_RarHandler{
    0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0xCC, 0x00, 0x00}};

// The exported entry point that creates the library's objects.
using CreateObjectFunction = HRESULT (*)(const GUID* classId, const GUID* interfaceId,
                                         void** object);
// The library's own release of a property value it filled.
using VariantClearFunction = HRESULT (*)(PROPVARIANT* value);

struct IUnknown {
  virtual HRESULT QueryInterface(const GUID& iid, void** object) = 0;
  virtual std::uint32_t AddRef() = 0;
  virtual std::uint32_t Release() = 0;
};

struct ISequentialInStream : IUnknown {
  virtual HRESULT Read(void* data, std::uint32_t size, std::uint32_t* processedSize) = 0;
};

struct ISequentialOutStream : IUnknown {
  virtual HRESULT Write(const void* data, std::uint32_t size, std::uint32_t* processedSize) = 0;
};

struct IInStream : ISequentialInStream {
  virtual HRESULT Seek(std::int64_t offset, std::uint32_t seekOrigin,
                       std::uint64_t* newPosition) = 0;
};

struct IOutStream : ISequentialOutStream {
  virtual HRESULT Seek(std::int64_t offset, std::uint32_t seekOrigin,
                       std::uint64_t* newPosition) = 0;
  virtual HRESULT SetSize(std::uint64_t newSize) = 0;
};

struct IStreamGetSize : IUnknown {
  virtual HRESULT GetSize(std::uint64_t* size) = 0;
};

struct IOutStreamFlush : IUnknown {
  virtual HRESULT Flush() = 0;
};

struct IProgress : IUnknown {
  virtual HRESULT SetTotal(std::uint64_t total) = 0;
  virtual HRESULT SetCompleted(const std::uint64_t* completeValue) = 0;
};

struct IArchiveOpenCallback : IUnknown {
  virtual HRESULT SetTotal(const std::uint64_t* files, const std::uint64_t* bytes) = 0;
  virtual HRESULT SetCompleted(const std::uint64_t* files, const std::uint64_t* bytes) = 0;
};

struct IArchiveExtractCallback : IProgress {
  virtual HRESULT GetStream(std::uint32_t index, ISequentialOutStream** outStream,
                            std::int32_t askExtractMode) = 0;
  virtual HRESULT PrepareOperation(std::int32_t askExtractMode) = 0;
  virtual HRESULT SetOperationResult(std::int32_t operationResult) = 0;
};

struct IArchiveOpenVolumeCallback : IUnknown {
  virtual HRESULT GetProperty(PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT GetStream(const wchar_t* name, IInStream** inStream) = 0;
};

struct IArchiveOpenSetSubArchiveName : IUnknown {
  virtual HRESULT SetSubArchiveName(const wchar_t* name) = 0;
};

struct ICryptoGetTextPassword : IUnknown {
  virtual HRESULT CryptoGetTextPassword(BSTR* password) = 0;
};

struct IInArchive : IUnknown {
  virtual HRESULT Open(IInStream* stream, const std::uint64_t* maxCheckStartPosition,
                       IArchiveOpenCallback* openCallback) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT GetNumberOfItems(std::uint32_t* numItems) = 0;
  virtual HRESULT GetProperty(std::uint32_t index, PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT Extract(const std::uint32_t* indices, std::uint32_t numItems,
                          std::int32_t testMode, IArchiveExtractCallback* extractCallback) = 0;
  virtual HRESULT GetArchiveProperty(PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT GetNumberOfProperties(std::uint32_t* numProps) = 0;
  virtual HRESULT GetPropertyInfo(std::uint32_t index, BSTR* name, PROPID* propID,
                                  VARTYPE* varType) = 0;
  virtual HRESULT GetNumberOfArchiveProperties(std::uint32_t* numProps) = 0;
  virtual HRESULT GetArchivePropertyInfo(std::uint32_t index, BSTR* name, PROPID* propID,
                                         VARTYPE* varType) = 0;
};

// Holds one reference to an interface and releases it when it goes.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference.
  ZK_CALLS_LIBRARY_OBJECTS explicit ComPtr(Interface* pointer) : pointer_(pointer) {
    if (pointer_ != nullptr) {
      pointer_->AddRef();
    }
  }
  ComPtr(const ComPtr& other) : ComPtr(other.pointer_) {}
  ComPtr(ComPtr&& other) noexcept : pointer_(other.pointer_) { other.pointer_ = nullptr; }
  ComPtr& operator=(ComPtr other) noexcept {
    Interface* old = pointer_;
    pointer_ = other.pointer_;
    other.pointer_ = old;
    return *this;
  }
  ~ComPtr() { reset(); }

  // Adopts a reference the caller already owns (an out-parameter's result).
  static ComPtr adopt(Interface* pointer) {
    ComPtr result;
    result.pointer_ = pointer;
    return result;
  }
  ZK_CALLS_LIBRARY_OBJECTS void reset() {
    if (pointer_ != nullptr) {
      std::exchange(pointer_, nullptr)->Release();
    }
  }
  // For out-parameters: releases what is held and hands out the slot.
  Interface** put() {
    reset();
    return &pointer_;
  }
  // Hands out a new reference (for returning through an out-parameter).
  Interface* detach() { return std::exchange(pointer_, nullptr); }

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace zk::sevenzip
