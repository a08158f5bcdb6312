// Reading the automatic schedules of backupschedule.xml into records.
//
// A user with a thousand recorders has tens of thousands of schedules, and
// building a document of every element and attribute before walking it cost
// about a second at every login and every start of scheduled backup. The file
// as the program writes it is read straight into records instead
// (CPlainXmlReader); anything else goes to the general parser.
#pragma once

#include <afx.h>

#include <cstddef>
#include <vector>

#include "BackupSchedule.h"

class TiXmlDocument;

// Reads the automatic schedules of a text in the plain form the program
// writes (elements, quoted attributes without entity references, its own
// declaration, whitespace), in file order, with ids 0 and every day state
// idle. Returns true with the records appended; false (out unchanged) when
// the text holds anything else or is not well formed.
bool ReadPlainScheduleXml(const char* text, size_t length, std::vector<BACKUP_SCHEDULE>& out);
// Appends the automatic schedules of a parsed document, in file order, as
// ReadPlainScheduleXml gives them.
void ReadScheduleDocument(const TiXmlDocument& doc, std::vector<BACKUP_SCHEDULE>& out);
// The automatic schedules of the file, through the plain reader when it
// serves and the general parser otherwise. Returns 0 (also for a missing or
// empty file, no schedules); 1 when the file does not parse: it was set
// aside and the schedules before the damage are read (ReadStoredXmlFile);
// -1 when it does not parse and could not be set aside (no schedules).
int ReadScheduleFile(const CString& path, std::vector<BACKUP_SCHEDULE>& out);
