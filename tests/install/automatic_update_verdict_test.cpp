// How "Otomatik Güncelle" treats each row, as the command-line check reports
// it before the update runs.

#include <gtest/gtest.h>

#include "core/error.h"
#include "install/update_actions.h"
#include "tests/support/recording_ui.h"

namespace zk {
namespace {

const ModuleEntry& row(ModuleRow which) {
  return ModuleCatalogue::row(which);
}

RowVerdict verdict(const std::string& installed, const std::string& server, ModuleRow which,
                   const std::string& serverAddress = "localhost") {
  test::RecordingUi ui;
  ui.setCaption(std::string(row(which).localLabel), installed);
  ui.setCaption(std::string(row(which).serverLabel), server);
  return automaticUpdateVerdict(ui, row(which), serverAddress);
}

TEST(AutomaticUpdateVerdict, ComparesAsIntegersAndLeavesOutWhatTheUpdateSkips) {
  EXPECT_EQ(verdict("5", "12", ModuleRow::MainProgram), RowVerdict::Behind);  // not as text
  EXPECT_EQ(verdict("12", "12", ModuleRow::MainProgram), RowVerdict::Current);
  EXPECT_EQ(verdict("13", "12", ModuleRow::DllBundle), RowVerdict::Current);
  EXPECT_EQ(verdict("Yok", "5", ModuleRow::Printing), RowVerdict::LeftOut);
  EXPECT_EQ(verdict("Yok", "8", ModuleRow::MobileServer), RowVerdict::LeftOut);
  EXPECT_EQ(verdict("7", "8", ModuleRow::MobileServer, "Localhost"), RowVerdict::LeftOut);
  EXPECT_EQ(verdict("7", "8", ModuleRow::MobileServer), RowVerdict::Behind);
}

TEST(AutomaticUpdateVerdict, ATextThatIsNoNumberFailsAsTheUpdatesConversion) {
  try {
    verdict("11", "12\n", ModuleRow::MainProgram);
    FAIL() << "no failure";
  } catch (const Error& failure) {
    EXPECT_EQ(failure.message(), "'12\n' is not a valid integer value");
  }
  // Only the printing module and the mobile server guard against "Yok".
  EXPECT_THROW(verdict("Yok", "31", ModuleRow::Reports), Error);
}

}  // namespace
}  // namespace zk
