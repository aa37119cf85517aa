// The working folder in sight: a line at the bottom of the window names it, and "Сменить…" moves
// the window to another one, which is remembered for the next start as the first question's
// answer is.
#pragma once

#include <QString>
#include <functional>

class QSettings;
class QWidget;
class TGForm;

// Where the folder is remembered: the user's settings of the organisation "TESSARO" and the
// application "tessaro-master" (on Linux ~/.config/TESSARO/tessaro-master.conf, key workingFolder).
QSettings* NewRememberedFolderSettings();

// Asks for a folder with `ask` (given the current folder to start in); when one is chosen and can
// be entered, it becomes the working folder and is remembered. False when cancelled or refused.
bool ChooseWorkingFolder(QSettings& remembered, const std::function<QString(const QString&)>& ask);

// The line "Рабочая папка: <folder>   [Сменить…]" (object names "WorkingFolderLabel" and
// "WorkingFolderButton"). The button saves the settings to std.cfg of the folder left, as closing
// does, then opens the new folder as a start does: std.cfg and exam_ddc.ini are read there.
QWidget* BuildWorkingFolderLine(TGForm* form);
