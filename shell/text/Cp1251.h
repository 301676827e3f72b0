// Windows-1251, the code page of every text file the program writes, from the UTF-8 the program works in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorva::shell {

// `utf8` in Windows-1251 (through glibc's iconv); nothing when the text is
// not valid UTF-8 or holds a character the code page lacks.
std::optional<std::string> ToCp1251(std::string_view utf8);

}  // namespace zorva::shell
