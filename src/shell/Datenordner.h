#pragma once
#include <QString>

// Where the register keeps its files. The data folder plays the role of the
// old "program folder": databases, "Sicherungen", "Reports", "BilderArchiv", ...
namespace Datenordner {

// $ORVENPOS_HOME, else $XDG_DATA_HOME/orvenpos, else ~/.local/share/orvenpos.
QString pfad();
// Creates the data folder and its fixed sub-folders; returns the data folder.
QString anlegen();
// A file or folder inside the data folder.
QString datei(const QString& relativ);
// $XDG_CONFIG_HOME/orvenpos (else ~/.config/orvenpos): the INI "registry".
QString konfigurationsordner();
// Folder of the running executable: our helper programs live beside it.
QString programmordner();

} // namespace Datenordner
