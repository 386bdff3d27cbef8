#pragma once
// The help page that comes with the program, opened in the desktop's browser.

#include <QString>

// Path of help.html among the data files, or empty when it is not installed.
QString help_page_path();
// Opens the help page; 0 when the desktop took it, -1 when the page is missing or nothing
// could open it.
int open_help_page();
