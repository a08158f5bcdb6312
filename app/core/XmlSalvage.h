// What can be read of an XML text that does not parse whole.
//
// The program's files are lists: top-level sections whose children are the
// records (devices, users, schedules). A file cut short or damaged somewhere
// keeps every record that ends before the damage: the longest beginning of
// the text that ends after a complete record (or a complete section) is
// parsed, with the section still open there closed. A record the damage
// falls into is left out whole, never read in part.
#pragma once

#include <string>

#include <tinyxml.h>

// Parses the longest such beginning of text into doc. Returns the number of
// records (children of top-level elements) it holds, 0 when none; doc holds
// the salvaged sections (empty when no beginning parses).
int SalvageXmlText(const std::string& text, TiXmlDocument& doc);
