#pragma once

#include "shared/settings_files.h"

#include <QTemporaryDir>
#include <QVariantList>

// A fresh cache folder holding the installed settings files and a new show database made
// from the schema. The schema is run once per test program; each fixture copies that file.
class ShowFixture {
public:
    ShowFixture();

    QString cacheDir() const { return m_dir.path() + '/'; }
    QString databasePath() const;
    SettingsFiles settings() const { return SettingsFiles(cacheDir()); }

    // Runs one statement on a connection of its own and commits it.
    void exec(const QString& sql, const QVariantList& parameters = {}) const;
    // A whole stage row, its values in this order: nome, ordine, sx, sy, offsetx, offsety,
    // colore, picture, fullscreen, atop, aleft, awidth, aheigth, acolor, btop, bleft, bwidth,
    // bheigth, bcolor, battivo, ashape, schermo, alati, bshape, blati, restart.
    void insertStage(const QVariantList& values) const;
    // The first column of the first row of a query.
    QVariant scalar(const QString& sql, const QVariantList& parameters = {}) const;

private:
    QTemporaryDir m_dir;
};
