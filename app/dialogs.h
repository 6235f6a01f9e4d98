#pragma once

#include <functional>
#include <string>

namespace zk {

// The program's caption for its boxes: the executable's file name without
// folder and without everything from its first "." on, in lower case but for
// a capital first letter ("Guncelleme").
std::string applicationTitle(const std::string& executablePath);
void setApplicationTitle(const std::string& title);
const std::string& applicationTitle();

// Modal box with the text (never read as markup) and an OK button, no icon,
// the application title as caption, centred on the screen. With
// ZK_AUTO_CLOSE_MESSAGE_BOXES=1 in the environment the box is not shown: a
// line "MESSAGE: <text>" goes to standard error instead.
void showMessageBox(const std::string& text);
// The same with the stop icon ("ERROR: <text>" when closed automatically).
void showErrorBox(const std::string& text);
// The same with a caption of its own ("ERROR: <text>" when closed automatically).
void showErrorBox(const std::string& caption, const std::string& text);

bool boxesCloseThemselves();

enum class BoxKind { Message, Error };
// Tests catch every box here instead of showing it; an empty function restores
// the normal boxes.
void setBoxObserver(std::function<void(BoxKind, const std::string&)> observer);

// The window toolkit's modal box: centred on the screen, one OK button, the
// stop icon for an error, the text never read as markup. Returns when the
// user has closed it.
void showToolkitBox(BoxKind kind, const std::string& caption, const std::string& text);

}  // namespace zk
