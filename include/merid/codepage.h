#pragma once
// Text inside the library is 8-bit Windows-1252, the code page of the Italian
// systems it is meant for. These convert at the edges: a host's UTF-8 in, the
// library's text out. A character the code page lacks becomes '?'.

#include <string>
#include <string_view>

namespace merid {

std::string utf8ToAnsi(std::string_view utf8);
std::string ansiToUtf8(std::string_view ansi);

}  // namespace merid
