#include "install/sevenzip/sevenzip.h"

#include <cwctype>
#include <utility>

#include "core/error.h"
#include "core/text_encoding.h"
#include "platform/archive_library.h"
#include "platform/file_replacement.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/platform_names.h"

namespace zk {

using namespace sevenzip;

namespace {

// Handed to the handler's open: how far into the file it looks for the
// archive's start.
constexpr std::uint64_t kMaxCheckStartPosition = 1048576;
constexpr std::uint32_t kAllItems = 0xFFFFFFFF;
constexpr std::int32_t kTestModeOff = 0;

std::string libraryName() {
  return platform::kArchiveLibraryFile;
}

// The library's wide strings hold UTF-16 code units, one per wchar_t; file
// names on this system are UTF-8.
std::string wideToUtf8(const wchar_t* text) {
  std::u16string units;
  for (const wchar_t* p = text; p != nullptr && *p != 0; ++p) {
    units += static_cast<char16_t>(*p);
  }
  return utf16ToUtf8(units);
}

bool endsWithSlash(const std::string& path) {
  return !path.empty() && path.back() == '/';
}

// Item paths come back as the archive stores them. Anything that would land
// outside the extraction folder is refused: an absolute path, a drive
// prefix, or a ".." component ("/" and "\" both separate components).
bool isSafeItemPath(const std::string& path) {
  if (path.empty() || path.front() == '/' || path.front() == '\\') {
    return false;
  }
  if (path.size() >= 2 && path[1] == ':' && std::iswalpha(static_cast<unsigned char>(path[0]))) {
    return false;
  }
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("/\\", start);
    if (end == std::string::npos) {
      end = path.size();
    }
    if (path.compare(start, end - start, "..") == 0) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

// Archives made on Windows may separate folders with "\".
std::string localItemPath(std::string path) {
  for (char& c : path) {
    if (c == '\\') {
      c = '/';
    }
  }
  return path;
}

std::string operationResultText(std::int32_t result) {
  switch (result) {
    case kResultUnsupportedMethod:
      return "Unsupported Method";
    case kResultDataError:
      return "Data Error";
    case kResultCrcError:
      return "CRC Failed";
    case kResultUnavailable:
      return "Unavailable data";
    case kResultUnexpectedEnd:
      return "Unexpected end of data";
    case kResultDataAfterEnd:
      return "There are some data after the end of the payload data";
    case kResultIsNotArc:
      return "Is not archive";
    case kResultHeadersError:
      return "Headers Error";
    case kResultWrongPassword:
      return "Wrong password";
    default:
      return "Error " + std::to_string(result);
  }
}

std::string cannotCreateMessage(const std::string& path, int errnoValue) {
  return "Cannot create file \"" + platform::expandFileName(path) + "\". " +
         platform::systemErrorText(errnoValue);
}

}  // namespace

// ---------------------------------------------------------------- T7zPlugin

T7zPlugin::T7zPlugin(const std::string& libraryPath) {
  if (!libraryPath.empty()) {
    library_ = platform::SharedLibrary(libraryPath);
  }
  if (!library_.loaded()) {
    throw Error("Error loading library " + libraryName());
  }
  createEntry_ = library_.function<CreateObjectFunction>("CreateObject");
  if (createEntry_ == nullptr) {
    library_.release();
    throw Error(libraryName() + " is not a 7z library");
  }
  variantClear_ = library_.function<VariantClearFunction>("VariantClear");
  if (variantClear_ == nullptr) {
    // The Windows build leaves freeing property values to the system.
    variantClear_ = reinterpret_cast<VariantClearFunction>(platform::systemPropertyValueClear());
  }
}

T7zPlugin::~T7zPlugin() = default;

std::uint32_t T7zPlugin::addReference() {
  return ++references_;
}

std::uint32_t T7zPlugin::releaseReference() {
  const std::uint32_t left = --references_;
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT T7zPlugin::createObject(const GUID& classId, const GUID& interfaceId, void** object) const {
  return createEntry_(&classId, &interfaceId, object);
}

void T7zPlugin::clearProperty(PROPVARIANT& value) const {
  if (value.vt != VT_EMPTY && variantClear_ != nullptr) {
    variantClear_(&value);
  }
  value.vt = VT_EMPTY;
}

// ---------------------------------------------------------------- T7zArchive

T7zArchive::T7zArchive(const std::string& libraryPath) : T7zPlugin(libraryPath) {
  if (library().symbol("GetHandlerProperty") == nullptr) {
    throw Error(libraryName() + " is not a Format library");
  }
}

// ---------------------------------------------------------------- T7zInArchive

T7zInArchive::T7zInArchive(const std::string& libraryPath) : T7zArchive(libraryPath) {}

ZK_CALLS_LIBRARY_OBJECTS T7zInArchive::~T7zInArchive() {
  discardCurrentItem();
  // The handler belongs to the library, which the base class unloads.
  handler_.reset();
}

ComPtr<I7zInArchive> T7zInArchive::createRar(const std::string& libraryPath) {
  auto* archive = new T7zInArchive(libraryPath);
  archive->setClassId(CLSID_RarHandler);
  return ComPtr<I7zInArchive>(static_cast<I7zInArchive*>(archive));
}

HRESULT T7zInArchive::QueryInterface(const GUID& iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  if (iid == IID_IUnknown || iid == IID_I7zInArchive) {
    *object = static_cast<I7zInArchive*>(this);
  } else if (iid == IID_IArchiveOpenCallback) {
    *object = static_cast<IArchiveOpenCallback*>(this);
  } else if (iid == IID_IArchiveOpenVolumeCallback) {
    *object = static_cast<IArchiveOpenVolumeCallback*>(this);
  } else if (iid == IID_IArchiveOpenSetSubArchiveName) {
    *object = static_cast<IArchiveOpenSetSubArchiveName*>(this);
  } else if (iid == IID_ICryptoGetTextPassword) {
    *object = static_cast<ICryptoGetTextPassword*>(this);
  } else if (iid == IID_IArchiveExtractCallback || iid == IID_IProgress) {
    *object = static_cast<IArchiveExtractCallback*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

std::uint32_t T7zInArchive::AddRef() {
  return addReference();
}

std::uint32_t T7zInArchive::Release() {
  return releaseReference();
}

template <typename Body>
HRESULT T7zInArchive::guarded(Body body) {
  try {
    return body();
  } catch (...) {
    if (!pending_) {
      pending_ = std::current_exception();
    }
    return E_ABORT;
  }
}

void T7zInArchive::raisePending() {
  if (pending_) {
    std::rethrow_exception(std::exchange(pending_, nullptr));
  }
}

ZK_CALLS_LIBRARY_OBJECTS void T7zInArchive::OpenFile(const std::string& path) {
  platform::StreamFile file = platform::StreamFile::openForReading(path);
  if (!file.isOpen()) {
    throw Error("Cannot open file \"" + platform::expandFileName(path) + "\". " +
                platform::systemErrorText(file.errorNumber()));
  }
  ComPtr<T7zStream> stream(new T7zStream(std::move(file)));

  if (!handler_) {
    void* created = nullptr;
    const HRESULT result = createObject(classId(), IID_IInArchive, &created);
    if (result < 0) {
      throw Error(platform::resultCodeText(result));
    }
    if (created == nullptr) {
      throw Error(platform::resultCodeText(E_NOINTERFACE));
    }
    handler_ = ComPtr<IInArchive>::adopt(static_cast<IInArchive*>(created));
  }

  pending_ = nullptr;
  const std::uint64_t maxCheckStartPosition = kMaxCheckStartPosition;
  const HRESULT result =
      handler_->Open(static_cast<IInStream*>(stream.get()), &maxCheckStartPosition,
                     static_cast<IArchiveOpenCallback*>(this));
  raisePending();
  if (result != S_OK) {
    throw Error(platform::resultCodeText(result));
  }
  checkErrorFlags(path);
}

// A damaged archive opens with the items before the damage only; extracting
// it would leave files out without a word.
ZK_CALLS_LIBRARY_OBJECTS void T7zInArchive::checkErrorFlags(const std::string& path) const {
  PROPVARIANT value;
  handler_->GetArchiveProperty(kpidErrorFlags, &value);
  std::uint32_t flags = 0;
  if (value.vt == VT_UI4) {
    flags = value.ulVal;
  }
  clearProperty(value);

  const std::pair<std::uint32_t, const char*> damages[] = {
      {kErrorFlagIsNotArc, "Is not archive"},
      {kErrorFlagHeadersError, "Headers Error"},
      {kErrorFlagEncryptedHeadersError, "Headers Error in encrypted archive"},
      {kErrorFlagUnavailableStart, "Unavailable start of archive"},
      {kErrorFlagUnexpectedEnd, "Unexpected end of archive"},
      {kErrorFlagDataError, "Data Error"},
      {kErrorFlagCrcError, "CRC Error"},
  };
  for (const auto& [flag, text] : damages) {
    if ((flags & flag) != 0) {
      throw Error("Cannot open file \"" + platform::expandFileName(path) + "\". " + text);
    }
  }
}

ZK_CALLS_LIBRARY_OBJECTS void T7zInArchive::ExtractTo(const std::string& folder) {
  if (!handler_) {
    throw Error("Cannot extract: no archive is open");
  }
  extractionFolder_ = endsWithSlash(folder) ? folder : folder + "/";
  failedItems_.clear();
  pending_ = nullptr;

  const HRESULT result = handler_->Extract(nullptr, kAllItems, kTestModeOff,
                                           static_cast<IArchiveExtractCallback*>(this));
  // An item the library did not finish never replaces its target.
  discardCurrentItem();
  extractionFolder_.clear();

  raisePending();
  if (result != S_OK) {
    failedItems_.clear();
    throw Error(platform::resultCodeText(result));
  }
  if (!failedItems_.empty()) {
    const FailedItem first = failedItems_.front();
    const std::size_t others = failedItems_.size() - 1;
    failedItems_.clear();
    std::string message = "Cannot extract \"" + first.itemPath + "\". " + first.reason;
    if (others > 0) {
      message +=
          " (" + std::to_string(others) + (others == 1 ? " more item" : " more items") + " failed)";
    }
    throw Error(message);
  }
}

ZK_CALLS_LIBRARY_OBJECTS void T7zInArchive::Close() noexcept {
  subArchiveName_.clear();
  if (handler_) {
    handler_->Close();
    handler_.reset();
  }
}

ZK_CALLS_LIBRARY_OBJECTS std::string T7zInArchive::itemPath(std::uint32_t index) const {
  PROPVARIANT value;
  handler_->GetProperty(index, kpidPath, &value);
  std::string path;
  if (value.vt == VT_BSTR) {
    path = wideToUtf8(value.bstrVal);
  }
  clearProperty(value);
  return path;
}

ZK_CALLS_LIBRARY_OBJECTS bool T7zInArchive::itemIsFolder(std::uint32_t index) const {
  PROPVARIANT value;
  handler_->GetProperty(index, kpidIsDir, &value);
  const bool folder = value.vt == VT_BOOL && value.boolVal != 0;
  clearProperty(value);
  return folder;
}

void T7zInArchive::discardCurrentItem() {
  if (current_) {
    current_->stream->closeFile();
    platform::deleteFile(current_->replacement);
    current_.reset();
  }
}

// ---- open callbacks

HRESULT T7zInArchive::SetTotal(const std::uint64_t*, const std::uint64_t*) {
  return S_OK;
}

HRESULT T7zInArchive::SetCompleted(const std::uint64_t*, const std::uint64_t*) {
  return S_OK;
}

HRESULT T7zInArchive::GetProperty(PROPID, PROPVARIANT*) {
  return S_OK;
}

HRESULT T7zInArchive::GetStream(const wchar_t*, IInStream** inStream) {
  if (inStream != nullptr) {
    *inStream = nullptr;
  }
  return S_OK;
}

HRESULT T7zInArchive::SetSubArchiveName(const wchar_t* name) {
  return guarded([&] {
    subArchiveName_ = wideToUtf8(name);
    return S_OK;
  });
}

HRESULT T7zInArchive::CryptoGetTextPassword(BSTR* password) {
  if (password != nullptr) {
    *password = nullptr;
  }
  return S_FALSE;
}

// ---- extract callbacks

HRESULT T7zInArchive::SetTotal(std::uint64_t) {
  return S_OK;
}

HRESULT T7zInArchive::SetCompleted(const std::uint64_t*) {
  return S_OK;
}

HRESULT T7zInArchive::GetStream(std::uint32_t index, ISequentialOutStream** outStream,
                                std::int32_t askExtractMode) {
  if (outStream == nullptr) {
    return E_POINTER;
  }
  *outStream = nullptr;
  return guarded([&] {
    discardCurrentItem();
    if (askExtractMode != kAskExtract || itemIsFolder(index)) {
      return S_OK;
    }
    const std::string path = itemPath(index);
    if (!isSafeItemPath(path)) {
      // No stream: the library skips the item.
      failedItems_.push_back({path, "Unsafe path"});
      return S_OK;
    }
    const std::string target = extractionFolder_ + localItemPath(path);
    const std::size_t slash = target.rfind('/');
    if (slash != std::string::npos && slash > 0) {
      platform::createFolderPath(target.substr(0, slash));
    }

    std::string replacement;
    platform::StreamFile file = platform::createReplacement(target, replacement);
    if (!file.isOpen()) {
      throw Error(cannotCreateMessage(target, file.errorNumber()));
    }
    ComPtr<T7zStream> stream(new T7zStream(std::move(file)));
    current_ = OutputItem{path, target, std::move(replacement), stream};
    *outStream = ComPtr<ISequentialOutStream>(static_cast<IOutStream*>(stream.get())).detach();
    return S_OK;
  });
}

HRESULT T7zInArchive::PrepareOperation(std::int32_t) {
  return S_OK;
}

HRESULT T7zInArchive::SetOperationResult(std::int32_t operationResult) {
  return guarded([&] {
    if (!current_) {
      return S_OK;
    }
    OutputItem item = std::move(*current_);
    current_.reset();
    const bool closed = item.stream->finishOutputFile();
    if (operationResult != kResultOk || !closed || item.stream->failure() != 0) {
      platform::deleteFile(item.replacement);
      failedItems_.push_back(
          {item.itemPath, operationResult != kResultOk
                              ? operationResultText(operationResult)
                              : platform::systemErrorText(item.stream->failure())});
      return S_OK;
    }
    const int error =
        platform::commitReplacement(item.stream->file(), item.replacement, item.target);
    if (error != 0) {
      throw Error(cannotCreateMessage(item.target, error));
    }
    return S_OK;
  });
}

// ---------------------------------------------------------------- ArchiveSlot

void ArchiveSlot::CreateRarArchive() {
  CreateRarArchive(platform::findArchiveLibrary());
}

void ArchiveSlot::CreateRarArchive(const std::string& libraryPath) {
  // The new object loads the library before the old one lets it go.
  archive_ = T7zInArchive::createRar(libraryPath);
}

I7zInArchive& ArchiveSlot::object() const {
  if (!archive_) {
    throw Error("No archive object: the archive library was not loaded");
  }
  return *archive_.get();
}

void ArchiveSlot::OpenArchiveFile(const std::string& path) {
  object().OpenFile(path);
}

void ArchiveSlot::ExtractAllTo(const std::string& folder) {
  object().ExtractTo(folder);
}

void ArchiveSlot::CloseArchive() noexcept {
  if (archive_) {
    archive_->Close();
  }
}

}  // namespace zk
