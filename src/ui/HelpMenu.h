#pragma once

#include <QString>

#include <string>
#include <vector>

class AEApplication;
class AEInfoDialog;
class QWidget;

// The Help menu of the main window: the user manual installed with the program, opened by
// the desktop, and the information dialog for problem reports.
namespace HelpMenu {

// The program's version, as the installed files and gleam-cli --version give it.
QString version();

// Opens the manual in the program's language (English where there is none in it) from
// the first of `folders` that holds it; when none does, tells the user where it was
// looked for and returns false (as when the desktop cannot open it: then it says where
// the manual is).
bool openManual(AEApplication& app, const std::vector<std::string>& folders);
// The same from the folders of ManualLocation for the running program.
bool openManual(AEApplication& app);

// Shows the information dialog over `window`, not blocking it; a second call while it is
// open brings the same dialog to the front.
AEInfoDialog* showInfo(AEApplication& app, QWidget* window);

} // namespace HelpMenu
