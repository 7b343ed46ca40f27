#pragma once

// The journal's schema: plain tables, so that a recording can be read with
// the sqlite3 tool (sqlite3 -readonly FILE 'SELECT * FROM reading').
// Texts are held exactly as the table shows them.
//
// PRAGMA user_version = kJournalSchemaVersion (1)
//
// table reading: one row per table row
//   pos         INTEGER PRIMARY KEY  position in the table, 1 = first row
//   record_no   INTEGER              ANo; NULL when the row has no number
//   time_stamp  TEXT                 ATime, as shown
//   channel     TEXT                 AT1T2 ("T1", "T2", "T1-T2")
//   value       TEXT                 AValue, as shown
//   unit        TEXT                 AUnit
//   judge       TEXT                 AJudge
//   row_state   INTEGER              the row's state (4: added)
//
// table change_list: the table's change list, one triple per row
//   seq         INTEGER PRIMARY KEY  order in the list, 1 = first
//   a, b, c     INTEGER              the triple (position, 0, 4 for an added row)
//
// table recording: exactly one row (id = 1)
//   next_record_no  INTEGER  NextRecordNo: ANo of the next recorded row
//   record_count    INTEGER  RecordCount: rows recorded since start or "New"
//   started         TEXT     when this program began the journal (UTC, ISO 8601)
//   ended           TEXT     the last commit (UTC, ISO 8601)

constexpr int kJournalSchemaVersion = 1;

// Creates the tables and sets the version (statements for sqlite3_exec).
const char* journalSchemaSql();
