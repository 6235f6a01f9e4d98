#pragma once

// The archive object: RAR archives unpacked through the 7-Zip library
// ("7z.so", loaded at run time).
//
// The update actions use four operations on the main window's `archive`, an
// ArchiveSlot:
//
//   archive.CreateRarArchive();             // new object in the slot, old one released
//   archive.OpenArchiveFile(updateDir + "/zelvak.rar");
//   archive.ExtractAllTo(updateDir);        // with or without a closing "/"
//   archive.CloseArchive();                 // never fails; a second call does nothing
//
// Every failure is a zk::Error with the text the user sees. No exception
// crosses the library: a callback that fails keeps its exception, answers
// the library with a failure code, and the exception is raised again once
// the library call has returned.

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "install/sevenzip/interfaces.h"
#include "platform/shared_library.h"
#include "platform/stream_file.h"

namespace zk {

// The program's own interface of an archive object.
struct I7zInArchive : sevenzip::IUnknown {
  // Opens the archive file with the object's handler (created at the first open).
  virtual void OpenFile(const std::string& path) = 0;
  // Writes every file item of the open archive below the folder.
  virtual void ExtractTo(const std::string& folder) = 0;
  // Closes the archive and releases the handler; nothing when there is none.
  virtual void Close() noexcept = 0;
};

inline constexpr sevenzip::GUID IID_I7zInArchive{
    0x022CF785, 0x3ECE, 0x46EF, {0x97, 0x55, 0x29, 0x1F, 0xA8, 0x4C, 0xC6, 0xC9}};

// A reference-counted object with its own load of the library, which it
// keeps until it is destroyed.
class T7zPlugin {
 public:
  T7zPlugin(const T7zPlugin&) = delete;
  T7zPlugin& operator=(const T7zPlugin&) = delete;

 protected:
  // Loads the library file; fails with "Error loading library 7z.so" (also
  // for an empty path: none was found) or "7z.so is not a 7z library".
  explicit T7zPlugin(const std::string& libraryPath);
  virtual ~T7zPlugin();

  std::uint32_t addReference();
  // Destroys the object with the last reference.
  std::uint32_t releaseReference();

  sevenzip::HRESULT createObject(const sevenzip::GUID& classId, const sevenzip::GUID& interfaceId,
                                 void** object) const;
  // Frees a property value the library filled.
  void clearProperty(sevenzip::PROPVARIANT& value) const;
  const platform::SharedLibrary& library() const { return library_; }

 private:
  std::atomic<std::uint32_t> references_{0};
  platform::SharedLibrary library_;
  sevenzip::CreateObjectFunction createEntry_ = nullptr;
  sevenzip::VariantClearFunction variantClear_ = nullptr;
};

// A plugin that is an archive-format library, with the class id of the
// handler it creates.
class T7zArchive : public T7zPlugin {
 protected:
  // Also fails with "7z.so is not a Format library".
  explicit T7zArchive(const std::string& libraryPath);

  void setClassId(const sevenzip::GUID& classId) { classId_ = classId; }
  const sevenzip::GUID& classId() const { return classId_; }

 private:
  sevenzip::GUID classId_{};
};

// The stream adapter the library reads the archive through and writes each
// extracted item through. It either owns its file (closed when the adapter
// goes) or refers to one that lives longer.
class T7zStream final : public sevenzip::IInStream,
                        public sevenzip::IStreamGetSize,
                        public sevenzip::IOutStream,
                        public sevenzip::IOutStreamFlush {
 public:
  explicit T7zStream(platform::StreamFile file);
  explicit T7zStream(platform::StreamFile* file);
  T7zStream(const T7zStream&) = delete;
  T7zStream& operator=(const T7zStream&) = delete;

  sevenzip::HRESULT QueryInterface(const sevenzip::GUID& iid, void** object) override;
  std::uint32_t AddRef() override;
  std::uint32_t Release() override;

  sevenzip::HRESULT Read(void* data, std::uint32_t size, std::uint32_t* processedSize) override;
  sevenzip::HRESULT Write(const void* data, std::uint32_t size,
                          std::uint32_t* processedSize) override;
  sevenzip::HRESULT Seek(std::int64_t offset, std::uint32_t seekOrigin,
                         std::uint64_t* newPosition) override;
  sevenzip::HRESULT SetSize(std::uint64_t newSize) override;
  sevenzip::HRESULT GetSize(std::uint64_t* size) override;
  sevenzip::HRESULT Flush() override;

  // Closes the file before the library lets go of the adapter; false (with
  // failure() set) when the system reported an error on the way.
  bool closeFile();
  // closeFile() for a written file: its bytes are made durable first.
  bool finishOutputFile();
  platform::StreamFile& file() { return *file_; }
  // The system's error number of the first failed read, write or close; 0 when none.
  int failure() const { return failure_; }

 private:
  ~T7zStream() = default;
  sevenzip::HRESULT failed();

  std::atomic<std::uint32_t> references_{0};
  std::unique_ptr<platform::StreamFile> owned_;
  platform::StreamFile* file_;
  int failure_ = 0;
};

// The archive object: the library's handler for one archive format and the
// callbacks the library calls while it opens and extracts.
class T7zInArchive final : public T7zArchive,
                           public I7zInArchive,
                           public sevenzip::IArchiveOpenCallback,
                           public sevenzip::IArchiveOpenVolumeCallback,
                           public sevenzip::IArchiveOpenSetSubArchiveName,
                           public sevenzip::ICryptoGetTextPassword,
                           public sevenzip::IArchiveExtractCallback {
 public:
  // A new object for the RAR 5.0 handler from the library file at
  // libraryPath (empty: no library was found).
  static sevenzip::ComPtr<I7zInArchive> createRar(const std::string& libraryPath);

  sevenzip::HRESULT QueryInterface(const sevenzip::GUID& iid, void** object) override;
  std::uint32_t AddRef() override;
  std::uint32_t Release() override;

  void OpenFile(const std::string& path) override;
  void ExtractTo(const std::string& folder) override;
  void Close() noexcept override;

  // IArchiveOpenCallback
  sevenzip::HRESULT SetTotal(const std::uint64_t* files, const std::uint64_t* bytes) override;
  sevenzip::HRESULT SetCompleted(const std::uint64_t* files, const std::uint64_t* bytes) override;
  // IArchiveOpenVolumeCallback
  sevenzip::HRESULT GetProperty(sevenzip::PROPID propID, sevenzip::PROPVARIANT* value) override;
  sevenzip::HRESULT GetStream(const wchar_t* name, sevenzip::IInStream** inStream) override;
  // IArchiveOpenSetSubArchiveName
  sevenzip::HRESULT SetSubArchiveName(const wchar_t* name) override;
  // ICryptoGetTextPassword
  sevenzip::HRESULT CryptoGetTextPassword(sevenzip::BSTR* password) override;
  // IProgress
  sevenzip::HRESULT SetTotal(std::uint64_t total) override;
  sevenzip::HRESULT SetCompleted(const std::uint64_t* completeValue) override;
  // IArchiveExtractCallback
  sevenzip::HRESULT GetStream(std::uint32_t index, sevenzip::ISequentialOutStream** outStream,
                              std::int32_t askExtractMode) override;
  sevenzip::HRESULT PrepareOperation(std::int32_t askExtractMode) override;
  sevenzip::HRESULT SetOperationResult(std::int32_t operationResult) override;

  const std::string& subArchiveName() const { return subArchiveName_; }

 private:
  explicit T7zInArchive(const std::string& libraryPath);
  ~T7zInArchive() override;

  // One item being written: to a fresh file beside its target, moved over
  // the target only when the library reports the item complete.
  struct OutputItem {
    std::string itemPath;
    std::string target;
    std::string replacement;
    sevenzip::ComPtr<T7zStream> stream;
  };
  struct FailedItem {
    std::string itemPath;
    std::string reason;
  };

  template <typename Body>
  sevenzip::HRESULT guarded(Body body);
  void raisePending();
  std::string itemPath(std::uint32_t index) const;
  bool itemIsFolder(std::uint32_t index) const;
  void checkErrorFlags(const std::string& path) const;
  void discardCurrentItem();

  sevenzip::ComPtr<sevenzip::IInArchive> handler_;
  std::string extractionFolder_;
  std::string subArchiveName_;
  std::optional<OutputItem> current_;
  std::vector<FailedItem> failedItems_;
  std::exception_ptr pending_;
};

// The main window's `archive`: holds the current archive object.
class ArchiveSlot {
 public:
  // Creates a new archive object from the library the search finds
  // (platform::findArchiveLibrary) and stores it here; the object held
  // before is released afterwards, so the library stays loaded. On failure
  // the slot keeps what it held.
  void CreateRarArchive();
  // The same from the library file at libraryPath.
  void CreateRarArchive(const std::string& libraryPath);
  void OpenArchiveFile(const std::string& path);
  void ExtractAllTo(const std::string& folder);
  void CloseArchive() noexcept;

  I7zInArchive* get() const { return archive_.get(); }

 private:
  I7zInArchive& object() const;

  sevenzip::ComPtr<I7zInArchive> archive_;
};

}  // namespace zk
