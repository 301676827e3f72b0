// UTF-8 to Windows-1251 through iconv(3).
#include "shell/text/Cp1251.h"

#include <iconv.h>

#include <cerrno>

namespace zorva::shell {

std::optional<std::string> ToCp1251(std::string_view utf8) {
    iconv_t cd = iconv_open("CP1251", "UTF-8");
    if (cd == iconv_t(-1)) return std::nullopt;
    // A character never takes more bytes in the single-byte code page.
    std::string out(utf8.size(), '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* to = out.data();
    size_t outLeft = out.size();
    const size_t done = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (done == size_t(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace zorva::shell
