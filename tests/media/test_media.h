#pragma once

#include <QString>

// A file of the test media made at build time.
inline QString media(const QString& name)
{
    return QStringLiteral(TEST_MEDIA_DIR "/") + name;
}
