#pragma once

namespace zk {

class TForm1;

// Runs the window without a user, for the demo and for tests, as the
// environment asks:
//   ZK_SCREENSHOT=FILE.png       save a picture of the window once it is shown
//   ZK_QUIT_AFTER_SCREENSHOT=1   then close the window
// Does nothing when neither is set.
void startAutomation(TForm1& form);

}  // namespace zk
