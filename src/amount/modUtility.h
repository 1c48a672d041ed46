#pragma once
// The amount field, right alignment and the euro character of the display.

#include <cstdint>
#include <string>

namespace merid {

// The amount in cents on nine digits ("2,5" -> "000000250"), from a text made
// from a double with doubleText. Empty on failure (logged).
std::string FormatPrzMerid(const std::string& amountText);
// The amount field of a number: FormatPrzMerid of its text.
std::string amountField(double amount);

// Right-aligns text in width characters (cutting a longer one to its first
// width characters), stores the result in text and returns it.
std::string AllineaDestra(std::string& text, int16_t width);

// The one character that stands for the euro sign on the display: the code in
// "display.ini" ([EuroAsciiCode] value), 127 when it is not numeric. Empty on
// failure (logged).
std::string getEurSymbolForECR();

}  // namespace merid
