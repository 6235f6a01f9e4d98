#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "core/error.h"
#include "install/sevenzip/sevenzip.h"
#include "platform/archive_library.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

using namespace sevenzip;

const std::string kSystemLibrary = "/usr/lib/p7zip/7z.so";

// Whether a library file is mapped into this process.
bool isMapped(const std::string& fileName) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find(fileName) != std::string::npos) {
      return true;
    }
  }
  return false;
}

std::string failureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.message();
  }
  return "(no failure)";
}

TEST(SevenZipLibrary, CreatesFromTheSystemLibraryAndReplacesTheHeldObject) {
  ArchiveSlot archive;
  archive.CreateRarArchive(kSystemLibrary);
  I7zInArchive* first = archive.get();
  ASSERT_NE(first, nullptr);
  archive.CreateRarArchive(kSystemLibrary);
  EXPECT_NE(archive.get(), nullptr);
  EXPECT_NE(archive.get(), first);
}

TEST(SevenZipLibrary, AFailedLoadKeepsTheHeldObject) {
  ArchiveSlot archive;
  archive.CreateRarArchive(kSystemLibrary);
  I7zInArchive* held = archive.get();

  EXPECT_EQ(failureOf([&] { archive.CreateRarArchive("/nonexistent/7z.so"); }),
            "Error loading library 7z.so");
  EXPECT_EQ(failureOf([&] { archive.CreateRarArchive(""); }), "Error loading library 7z.so");
  EXPECT_EQ(archive.get(), held);
}

TEST(SevenZipLibrary, LibrariesWithoutTheEntryPointsAreRefusedAndReleased) {
  ArchiveSlot archive;
  EXPECT_EQ(failureOf([&] { archive.CreateRarArchive(ZK_FAKE_7Z_BARE); }),
            "7z.so is not a 7z library");
  EXPECT_EQ(failureOf([&] { archive.CreateRarArchive(ZK_FAKE_7Z_CREATE_ONLY); }),
            "7z.so is not a Format library");
  EXPECT_EQ(archive.get(), nullptr);
  EXPECT_FALSE(isMapped("zk_fake_7z_bare"));
  EXPECT_FALSE(isMapped("zk_fake_7z_create_only"));
}

TEST(SevenZipLibrary, WithoutAnObjectOnlyCloseIsHarmless) {
  ArchiveSlot archive;
  archive.CloseArchive();
  EXPECT_THROW(archive.OpenArchiveFile("/nonexistent.rar"), Error);
  EXPECT_THROW(archive.ExtractAllTo("/tmp"), Error);
}

TEST(SevenZipLibrary, TheLastReleaseUnloadsTheLibrary) {
  ASSERT_FALSE(isMapped(kSystemLibrary)) << "another test left the library loaded";
  {
    ArchiveSlot archive;
    archive.CreateRarArchive(kSystemLibrary);
    EXPECT_TRUE(isMapped(kSystemLibrary));
  }
  EXPECT_FALSE(isMapped(kSystemLibrary));
}

TEST(SevenZipLibrary, SearchLooksInTheWorkingDirectoryFirst) {
  test::TempFolder folder;
  test::ScopedWorkingDirectory inFolder(folder.path());
  EXPECT_EQ(platform::findArchiveLibrary(), kSystemLibrary);

  std::filesystem::copy_file(ZK_FAKE_7Z_BARE, folder.file("7z.so"));
  EXPECT_EQ(platform::findArchiveLibrary(), folder.file("7z.so"));
  ArchiveSlot archive;
  EXPECT_EQ(failureOf([&] { archive.CreateRarArchive(); }), "7z.so is not a 7z library");
}

TEST(SevenZipLibrary, ObjectsAnswerTheirOwnInterfacesOnly) {
  ArchiveSlot archive;
  archive.CreateRarArchive(kSystemLibrary);
  const GUID archiveInterfaces[] = {IID_IUnknown,
                                    IID_I7zInArchive,
                                    IID_IArchiveOpenCallback,
                                    IID_IArchiveOpenVolumeCallback,
                                    IID_IArchiveOpenSetSubArchiveName,
                                    IID_ICryptoGetTextPassword,
                                    IID_IArchiveExtractCallback,
                                    IID_IProgress};
  for (const GUID& iid : archiveInterfaces) {
    void* object = nullptr;
    EXPECT_EQ(archive.get()->QueryInterface(iid, &object), S_OK);
    ASSERT_NE(object, nullptr);
    static_cast<IUnknown*>(object)->Release();
  }
  const GUID refused[] = {IID_IInArchive, IID_IInStream, IID_ISequentialOutStream,
                          sevenZipInterface(0x06, 0x22), sevenZipInterface(0x05, 0x11)};
  for (const GUID& iid : refused) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(archive.get()->QueryInterface(iid, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
  }

  ComPtr<T7zStream> stream(new T7zStream(platform::StreamFile()));
  const GUID streamInterfaces[] = {IID_ISequentialInStream,  IID_IInStream,  IID_IStreamGetSize,
                                   IID_ISequentialOutStream, IID_IOutStream, IID_IOutStreamFlush};
  for (const GUID& iid : streamInterfaces) {
    void* object = nullptr;
    EXPECT_EQ(stream->QueryInterface(iid, &object), S_OK);
    static_cast<IUnknown*>(object)->Release();
  }
  void* object = nullptr;
  EXPECT_EQ(stream->QueryInterface(IID_IArchiveExtractCallback, &object), E_NOINTERFACE);
  EXPECT_EQ(stream->QueryInterface(sevenZipInterface(0x03, 0x08), &object), E_NOINTERFACE);
}

TEST(SevenZipLibrary, PasswordRequestsAreAnsweredWithout) {
  ArchiveSlot archive;
  archive.CreateRarArchive(kSystemLibrary);
  void* object = nullptr;
  ASSERT_EQ(archive.get()->QueryInterface(IID_ICryptoGetTextPassword, &object), S_OK);
  auto* password = static_cast<ICryptoGetTextPassword*>(object);
  BSTR text = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(password->CryptoGetTextPassword(&text), S_FALSE);
  EXPECT_EQ(text, nullptr);
  password->Release();
}

TEST(SevenZipLibrary, ResultCodeTexts) {
  EXPECT_EQ(platform::resultCodeText(S_FALSE), "Incorrect function");
  EXPECT_EQ(platform::resultCodeText(E_FAIL), "Unspecified error");
  EXPECT_EQ(platform::resultCodeText(E_NOTIMPL), "Not implemented");
  EXPECT_EQ(platform::resultCodeText(static_cast<HRESULT>(0x8007000Eu)),
            "Not enough memory resources are available to complete this operation");
  EXPECT_EQ(platform::resultCodeText(E_INVALIDARG), "The parameter is incorrect");
  EXPECT_EQ(platform::resultCodeText(resultFromErrno(ENOSPC)), "No space left on device");
  EXPECT_EQ(platform::resultCodeText(static_cast<HRESULT>(0x80041234u)),
            "Unknown error 0x80041234");
}

}  // namespace
}  // namespace zk
