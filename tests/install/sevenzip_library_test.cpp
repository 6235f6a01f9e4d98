#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "core/error.h"
#include "install/sevenzip/sevenzip.h"
#include "platform/archive_library.h"
#include "platform/platform_names.h"
#include "tests/support/file_access.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

using namespace sevenzip;

const std::string kSystemLibrary = test::systemArchiveLibrary();
// The library's file name as the messages give it ("7z.so", "7z.dll").
const std::string kLibraryName = platform::kArchiveLibraryFile;

// Whether a library file is mapped into this process.
bool isMapped(const std::string& fileName) {
  return test::libraryLoaded(fileName);
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
            "Error loading library " + kLibraryName);
  EXPECT_EQ(failureOf([&] { archive.CreateRarArchive(""); }),
            "Error loading library " + kLibraryName);
  EXPECT_EQ(archive.get(), held);
}

TEST(SevenZipLibrary, LibrariesWithoutTheEntryPointsAreRefusedAndReleased) {
  ArchiveSlot archive;
  EXPECT_EQ(failureOf([&] { archive.CreateRarArchive(ZK_FAKE_7Z_BARE); }),
            kLibraryName + " is not a 7z library");
  EXPECT_EQ(failureOf([&] { archive.CreateRarArchive(ZK_FAKE_7Z_CREATE_ONLY); }),
            kLibraryName + " is not a Format library");
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
  if (test::kOnWindows) {
    // Not in the working directory: the copy beside the program.
    EXPECT_EQ(std::filesystem::path(platform::findArchiveLibrary()),
              std::filesystem::path(kSystemLibrary));
  } else {
    EXPECT_EQ(platform::findArchiveLibrary(), kSystemLibrary);
  }

  std::filesystem::copy_file(ZK_FAKE_7Z_BARE, folder.file(kLibraryName));
  EXPECT_EQ(platform::findArchiveLibrary(), test::nativePath(folder.file(kLibraryName)));
  ArchiveSlot archive;
  EXPECT_EQ(failureOf([&] { archive.CreateRarArchive(); }), kLibraryName + " is not a 7z library");
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
  if (test::kOnWindows) {
    // The system's own texts (FormatMessage), which differ from Linux's
    // and between Windows and Wine.
    for (const auto code : {S_FALSE, E_FAIL, E_NOTIMPL, static_cast<HRESULT>(0x8007000Eu),
                            E_INVALIDARG, static_cast<HRESULT>(0x80070070u)}) {
      const std::string text = platform::resultCodeText(code);
      EXPECT_FALSE(text.empty()) << std::hex << code;
      EXPECT_NE(text.back(), '.') << text;
      EXPECT_EQ(text, test::systemErrorText(static_cast<unsigned>(code))) << std::hex << code;
    }
  } else {
    EXPECT_EQ(platform::resultCodeText(S_FALSE), "Incorrect function");
    EXPECT_EQ(platform::resultCodeText(E_FAIL), "Unspecified error");
    EXPECT_EQ(platform::resultCodeText(E_NOTIMPL), "Not implemented");
    EXPECT_EQ(platform::resultCodeText(static_cast<HRESULT>(0x8007000Eu)),
              "Not enough memory resources are available to complete this operation");
    EXPECT_EQ(platform::resultCodeText(E_INVALIDARG), "The parameter is incorrect");
    EXPECT_EQ(platform::resultCodeText(resultFromErrno(ENOSPC)), "No space left on device");
  }
  EXPECT_EQ(platform::resultCodeText(static_cast<HRESULT>(0x80041234u)),
            "Unknown error 0x80041234");
}

}  // namespace
}  // namespace zk
