#include <utility>

#include "install/sevenzip/sevenzip.h"

namespace zk {

using namespace sevenzip;

T7zStream::T7zStream(platform::StreamFile file)
    : owned_(std::make_unique<platform::StreamFile>(std::move(file))), file_(owned_.get()) {}

T7zStream::T7zStream(platform::StreamFile* file) : file_(file) {}

HRESULT T7zStream::QueryInterface(const GUID& iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  if (iid == IID_IUnknown || iid == IID_ISequentialInStream || iid == IID_IInStream) {
    *object = static_cast<IInStream*>(this);
  } else if (iid == IID_IStreamGetSize) {
    *object = static_cast<IStreamGetSize*>(this);
  } else if (iid == IID_ISequentialOutStream || iid == IID_IOutStream) {
    *object = static_cast<IOutStream*>(this);
  } else if (iid == IID_IOutStreamFlush) {
    *object = static_cast<IOutStreamFlush*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

std::uint32_t T7zStream::AddRef() {
  return ++references_;
}

std::uint32_t T7zStream::Release() {
  const std::uint32_t left = --references_;
  if (left == 0) {
    delete this;
  }
  return left;
}

HRESULT T7zStream::failed() {
  const int error = file_->errorNumber();
  if (failure_ == 0) {
    failure_ = error;
  }
  return resultFromErrno(error);
}

HRESULT T7zStream::Read(void* data, std::uint32_t size, std::uint32_t* processedSize) {
  if (processedSize != nullptr) {
    *processedSize = 0;
  }
  const std::int64_t done = file_->read(data, size);
  if (done < 0) {
    return failed();
  }
  if (processedSize != nullptr) {
    *processedSize = static_cast<std::uint32_t>(done);
  }
  return S_OK;
}

HRESULT T7zStream::Write(const void* data, std::uint32_t size, std::uint32_t* processedSize) {
  if (processedSize != nullptr) {
    *processedSize = 0;
  }
  const std::int64_t done = file_->write(data, size);
  if (done < 0) {
    return failed();
  }
  if (processedSize != nullptr) {
    *processedSize = static_cast<std::uint32_t>(done);
  }
  return S_OK;
}

HRESULT T7zStream::Seek(std::int64_t offset, std::uint32_t seekOrigin, std::uint64_t* newPosition) {
  if (seekOrigin > 2) {
    return E_INVALIDARG;
  }
  std::uint64_t position = 0;
  if (!file_->seek(offset, static_cast<platform::StreamFile::Origin>(seekOrigin), position)) {
    return resultFromErrno(file_->errorNumber());
  }
  if (newPosition != nullptr) {
    *newPosition = position;
  }
  return S_OK;
}

HRESULT T7zStream::SetSize(std::uint64_t newSize) {
  return file_->setSize(newSize) ? S_OK : failed();
}

HRESULT T7zStream::GetSize(std::uint64_t* size) {
  if (size == nullptr) {
    return E_POINTER;
  }
  return file_->size(*size) ? S_OK : resultFromErrno(file_->errorNumber());
}

HRESULT T7zStream::Flush() {
  return S_OK;
}

bool T7zStream::closeFile() {
  if (!file_->close()) {
    failed();
    return false;
  }
  return true;
}

bool T7zStream::finishOutputFile() {
  if (!file_->flush() || !file_->close()) {
    failed();
    return false;
  }
  return true;
}

}  // namespace zk
