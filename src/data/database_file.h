#pragma once

#include <QString>

// Who the program is to the database: the user and password of the environment variables
// QUILLON_DB_USER and QUILLON_DB_PASSWORD, or SYSDBA with the installed password. An
// embedded database accepts any; a Firebird server checks them.
struct DatabaseLogin {
    QString user;
    QString password;
    static DatabaseLogin fromEnvironment();
};

// A name of the form host:/path/file, or host/port:/path/file, reaches a Firebird server.
bool isServerDatabaseName(const QString& name);

// Creates an empty show database at path from the schema, with the isql program of
// Firebird. The program itself never creates or alters a schema: the run script and the
// tests do, through this. A server name creates it on that server, with the login of the
// environment. Returns an empty string on success, otherwise what went wrong.
QString createShowDatabase(const QString& path);

// The schema text as shipped with the program.
QString showDatabaseSchema();
