#pragma once
#include <string>

namespace meridctl {

// Every result number the library knows: number, ECK_ name, meaning in
// Italian and English, what to do. As plain columns, or as the Markdown table
// of docs/result-codes.md.
std::string codesTable(bool markdown);

}  // namespace meridctl
