#include "settings/licence_year.h"

#include <cstdlib>
#include <exception>

#include "core/text_encoding.h"

namespace zk {
namespace {

constexpr const char* kFixedUpdateServerRoot = "http://guncelleme.zelvak.example/";

}  // namespace

std::string updateServerRoot() {
  const char* chosen = std::getenv("ZELVAK_UPDATE_ROOT");
  if (chosen == nullptr || *chosen == '\0') {
    return kFixedUpdateServerRoot;
  }
  std::string root = chosen;
  if (root.back() != '/') {
    root += '/';
  }
  return root;
}

void lookupLicenceYear(UserInterface& ui, Tdm& dm, const std::string& serverAddress,
                       const std::string& databasePath, std::string& yearBaseUrl,
                       std::string& serverRootUrl) {
  ui.setStatus("Lisans Yılı Alınıyor.");
  ui.pump();

  // The cleanup below runs whether or not opening worked; a failure of the
  // cleanup replaces the opening's failure.
  std::exception_ptr failure;
  try {
    // The connection string goes out as the settings file holds it, in
    // Windows-1254 (the values arrive here as UTF-8).
    dm.ibd.setDatabaseName(utf8ToCp1254(serverAddress) + ":" + utf8ToCp1254(databasePath));
    dm.ib1.setSql("Select yil from firmabilgi");
    dm.ib1.open();
  } catch (...) {
    failure = std::current_exception();
  }

  ui.setCaption("Label2", dm.ib1.fieldAsText("yil"));
  const std::string root = updateServerRoot();
  yearBaseUrl = root + ui.caption("Label2") + "/";
  serverRootUrl = root;
  dm.ibd.close();
  ui.pump();

  if (failure) {
    std::rethrow_exception(failure);
  }
}

}  // namespace zk
