// The folder that holds the running program: snapshot files and symbol bases live there.
#pragma once

#include <string>

namespace zorva::platform {

// The folder of the executable itself (never the working folder); empty
// when it is not known. Needs the application object.
std::string ProgramFolder();

}  // namespace zorva::platform
