#pragma once

#include <string>

#include "core/user_interface.h"
#include "settings/data_module.h"

namespace zk {

// The update server root: a fixed http:// URL ending in "/", or the value of
// the environment variable ZELVAK_UPDATE_ROOT when that is set and not empty
// ("/" is added when it does not end in one).
std::string updateServerRoot();

// The licence-year lookup, the second half of local_baglanti_kontrol (it
// follows the settings half, whose last step already pumped). Reads column
// yil of the first row of table firmabilgi in the database
// serverAddress + ":" + databasePath, shows it as Label2's caption and sets
// yearBaseUrl to root + caption + "/" and serverRootUrl to the root.
// A failure before the fetch ends as the Error "ib1: Field 'yil' not found"
// with Label2 and both URLs untouched; a failed fetch sets an empty year and
// both URLs, closes the connection, then raises the fetch's DatabaseError;
// a failed detach raises its DatabaseError after the URLs were set.
void lookupLicenceYear(UserInterface& ui, Tdm& dm, const std::string& serverAddress,
                       const std::string& databasePath, std::string& yearBaseUrl,
                       std::string& serverRootUrl);

}  // namespace zk
