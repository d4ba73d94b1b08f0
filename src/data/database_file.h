#pragma once

#include <QString>

// Creates an empty show database at path from the schema, with the isql program of
// Firebird. The program itself never creates or alters a schema: the run script and the
// tests do, through this. Returns an empty string on success, otherwise what went wrong.
QString createShowDatabase(const QString& path);

// The schema text as shipped with the program.
QString showDatabaseSchema();
