#pragma once

namespace zk {

class TForm1;

// Runs the window without a user, for the demo and for tests, as the
// environment asks (the same variables as the Linux window's):
//   ZK_SCREENSHOT=FILE.png         save a picture of the window once it is shown
//   ZK_QUIT_AFTER_SCREENSHOT=1     then close the window
//   ZK_DEMO_AUTOMATIC_UPDATE=1     once the server check has unlocked the
//                                  buttons, press "Otomatik Güncelle" as a user
//                                  would, report the window's state before and
//                                  after on standard output ("DEMO ..." lines),
//                                  then close the window
//   ZK_SCREENSHOT_BEFORE / ZK_SCREENSHOT_AFTER   pictures around that press
//   ZK_DEMO_TIMEOUT_SECONDS        closes the window at the latest (120)
// Does nothing when none is set.
void startAutomation(TForm1& form);

}  // namespace zk
