// Whole-file reading and crash-safe writing of the program's XML files, and
// attribute values in the ANSI code page.
//
// The files declare UTF-8 but have always held ANSI bytes, so they are parsed
// in TinyXML's legacy mode: parsing them as UTF-8 breaks on the first accented
// name and would load an empty list that the next save writes back.
#pragma once

#include <afx.h>

#include <tinyxml.h>

#include <string>

// The bytes of the file, a leading UTF-8 byte-order mark left out. Returns 0
// with the text; 1 when the file cannot be opened or read or holds no bytes
// (text empty).
int ReadXmlText(const CString& path, std::string& text);
// Clears doc and parses text in the files' legacy mode. Returns 0 when
// parsed; -1 when it does not parse (doc holds TinyXML's error).
int ParseXmlText(const std::string& text, TiXmlDocument& doc);
// Clears doc and parses the file. Returns 0 when parsed; 1 when the file
// cannot be opened or holds no bytes (doc stays empty); -1 when it does not
// parse (doc holds TinyXML's error).
int ReadXmlFile(const CString& path, TiXmlDocument& doc);
// Reads a file the program keeps: ReadXmlFile, and for a file that does not
// parse what can be kept of it. Returns 0 parsed; 1 missing or empty (doc
// empty); 2 it did not parse: the file was set aside
// (SetAsideUnreadableFile, which reports it), doc holds the records read
// before the damage (SalvageXmlText) and has been written in its place;
// -1 it did not parse and could not be set aside (doc empty, the file left
// as it was).
int ReadStoredXmlFile(const CString& path, TiXmlDocument& doc);
// Writes doc to a temporary file beside path and only after a complete write
// replaces path with it, so a failed save leaves the previous file as it was.
// Returns 0; -2 when path is empty; -3 when writing or replacing failed (the
// temporary file is removed).
int WriteXmlFile(const TiXmlDocument& doc, const CString& path);
// The same for a file's text.
int WriteXmlText(const std::string& text, const CString& path);
// Adds the declaration every file of the program starts with.
void AddXmlDeclaration(TiXmlDocument& doc);

// Sets the attribute to the value converted to the ANSI code page.
void SetAnsiAttribute(TiXmlElement* element, const char* name, const CString& value);
// Returns true and the value converted from the ANSI code page when the
// attribute is present; false (value untouched) when it is not.
bool GetAnsiAttribute(const TiXmlElement* element, const char* name, CString* value);
// The attribute read as a decimal integer; 0 when it is missing or no number.
int GetIntAttribute(const TiXmlElement* element, const char* name);
