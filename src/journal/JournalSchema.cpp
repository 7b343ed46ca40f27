#include "journal/JournalSchema.h"

// The version number below must equal kJournalSchemaVersion.
static_assert(kJournalSchemaVersion == 1, "update the PRAGMA in journalSchemaSql");

const char* journalSchemaSql()
{
    return "CREATE TABLE IF NOT EXISTS reading ("
           " pos INTEGER PRIMARY KEY, record_no INTEGER, time_stamp TEXT NOT NULL,"
           " channel TEXT NOT NULL, value TEXT NOT NULL, unit TEXT NOT NULL,"
           " judge TEXT NOT NULL, row_state INTEGER NOT NULL);"
           "CREATE TABLE IF NOT EXISTS change_list ("
           " seq INTEGER PRIMARY KEY, a INTEGER NOT NULL, b INTEGER NOT NULL,"
           " c INTEGER NOT NULL);"
           "CREATE TABLE IF NOT EXISTS recording ("
           " id INTEGER PRIMARY KEY CHECK (id = 1), next_record_no INTEGER NOT NULL,"
           " record_count INTEGER NOT NULL, started TEXT NOT NULL, ended TEXT NOT NULL);"
           "PRAGMA user_version = 1;";
}
