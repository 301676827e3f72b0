// Where a copy of the program runs from: a build tree, or an installed prefix (the Debian package).
#pragma once

#include <string>
#include <vector>

namespace zorva::core {

// True when `programFolder` (the executable's folder) belongs to an installed
// copy: it lies under a system prefix (/usr, /usr/local, /opt, /bin, /sbin,
// /lib*, /snap), or it is the bin folder of a prefix that holds
// the program's installed data folder (InstalledDataFolder). Such a folder
// is shared by every user and belongs to the package manager: the program
// never writes there, even when it could (as root). False for an empty
// folder and for a build tree.
bool IsInstalledProgramFolder(const std::string& programFolder);

// "<programFolder>/../share/zorva", lexically normalised, when it is a
// folder; empty otherwise. Packages install the program's data there, and
// going by the executable's own place finds it under any prefix.
std::string InstalledDataFolder(const std::string& programFolder);

// The folder to read the program's shipped data files `names` from: the
// program's folder when any of them sits there (a build tree, or files the
// user put beside the executable), else the installed data folder when any
// of them sits there, else the program's folder (whose missing files are
// then reported by their readers).
std::string DataFolder(const std::string& programFolder, const std::vector<std::string>& names);

}  // namespace zorva::core
