// Escaping of the configuration documents' markup: the eight named entities and their inverse,
// which the install log uses for every value it writes.
#pragma once

#include <string>

// Replaces &name; sequences in one left-to-right pass. Known names: lt amp gt quot apos nbsp
// (a space) cr (a line feed) lf (a carriage return). An unknown name becomes a lone '&'; an
// '&' with no ';' anywhere after it stays as it is.
std::string DecodeEntities(const std::string& text);

// The inverse for the bytes it covers: line feed -> &cr;, carriage return -> &lf;, " & ' < >,
// and every space that directly follows a space -> &nbsp;. All other bytes are copied.
std::string EncodeEntities(const std::string& text);
