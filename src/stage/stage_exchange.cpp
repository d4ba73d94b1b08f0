#include "stage/stage_exchange.h"

#include <QCoreApplication>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QSaveFile>
#include <QXmlStreamWriter>
#include <limits>

namespace {
enum class Kind { Flag, Shape, Byte, Whole, Colour };

// A numeric attribute: its name in the file, its range and where it lives in the stage.
struct Number {
    const char* name;
    Kind kind;
    qint64 (*get)(const CurrentStage&);
    void (*set)(CurrentStage&, qint64);
};

#define STAGE_VALUE(attribute, kind, member)                                                       \
    Number                                                                                         \
    {                                                                                              \
        attribute, kind, [](const CurrentStage& s) { return qint64(s.member); },                   \
            [](CurrentStage& s, qint64 v) { s.member = decltype(s.member)(v); }                    \
    }

// After "sfondo", in the order the file carries them.
const Number numbers[] = {
    STAGE_VALUE("colore", Kind::Colour, schermi.colore),
    STAGE_VALUE("picture", Kind::Flag, schermi.picture),
    STAGE_VALUE("fullscreen", Kind::Flag, schermi.fullscreen),
    STAGE_VALUE("atop", Kind::Whole, schermi.atop),
    STAGE_VALUE("aleft", Kind::Whole, schermi.aleft),
    STAGE_VALUE("awidth", Kind::Whole, schermi.awidth),
    STAGE_VALUE("aheigth", Kind::Whole, schermi.aheigth),
    STAGE_VALUE("acolor", Kind::Colour, schermi.acolor),
    STAGE_VALUE("battivo", Kind::Byte, schermi.battivo),
    STAGE_VALUE("btop", Kind::Whole, schermi.btop),
    STAGE_VALUE("bleft", Kind::Whole, schermi.bleft),
    STAGE_VALUE("bwidth", Kind::Whole, schermi.bwidth),
    STAGE_VALUE("bheigth", Kind::Whole, schermi.bheigth),
    STAGE_VALUE("bcolor", Kind::Colour, schermi.bcolor),
    STAGE_VALUE("ashape", Kind::Shape, schermi.ashape),
    STAGE_VALUE("alati", Kind::Whole, schermi.alati),
    STAGE_VALUE("schermo", Kind::Flag, schermi.schermo),
    STAGE_VALUE("bshape", Kind::Shape, schermi.bshape),
    STAGE_VALUE("blati", Kind::Whole, schermi.blati),
    STAGE_VALUE("restart", Kind::Flag, schermi.restart),
    STAGE_VALUE("offsetX", Kind::Whole, offsetx),
    STAGE_VALUE("offsetY", Kind::Whole, offsety),
    STAGE_VALUE("sx", Kind::Whole, sx),
    STAGE_VALUE("sy", Kind::Whole, sy),
};
#undef STAGE_VALUE

std::pair<qint64, qint64> range(Kind kind)
{
    switch (kind) {
    case Kind::Flag:
        return {0, 1};
    case Kind::Shape:
        return {0, 3};
    case Kind::Byte:
        return {std::numeric_limits<qint8>::min(), std::numeric_limits<qint8>::max()};
    case Kind::Colour:
        return {0, std::numeric_limits<quint32>::max()};
    case Kind::Whole:
        break;
    }
    return {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
}

// The values of one "stage" element, all checked; false with the reason.
bool readElement(const QDomElement& element, CurrentStage& into, QString& reason)
{
    if (!element.hasAttribute("sfondo")) {
        reason = QStringLiteral("the attribute \"sfondo\" is missing");
        return false;
    }
    into.schermi.sfondo = element.attribute("sfondo");
    for (const Number& number : numbers) {
        const QString name = QString::fromLatin1(number.name);
        if (!element.hasAttribute(name)) {
            reason = QStringLiteral("the attribute \"%1\" is missing").arg(name);
            return false;
        }
        const QString text = element.attribute(name);
        bool isNumber = false;
        const qint64 value = text.toLongLong(&isNumber);
        const auto [lowest, highest] = range(number.kind);
        if (!isNumber || value < lowest || value > highest) {
            reason = QStringLiteral("\"%1\" is \"%2\", not a whole number from %3 to %4")
                         .arg(name, text)
                         .arg(lowest)
                         .arg(highest);
            return false;
        }
        number.set(into, value);
    }
    return true;
}
} // namespace

QByteArray stageExchangeText(const CurrentStage& stage)
{
    QByteArray text;
    QXmlStreamWriter xml(&text);
    xml.writeStartElement("QuillonStage");
    xml.writeCharacters("\n    ");
    xml.writeEmptyElement("stage");
    QString background = stage.schermi.sfondo; // the column's padding removed
    while (background.endsWith(' '))
        background.chop(1);
    xml.writeAttribute("sfondo", background);
    for (const Number& number : numbers)
        xml.writeAttribute(QString::fromLatin1(number.name), QString::number(number.get(stage)));
    xml.writeCharacters("\n");
    xml.writeEndElement();
    text.append('\n');
    return text;
}

std::optional<CurrentStage> parseStageExchange(const QByteArray& text, QString& reason)
{
    QDomDocument document;
    QString error;
    int line = 0, column = 0;
    if (!document.setContent(text, &error, &line, &column)) {
        reason = QStringLiteral("not well-formed XML (line %1, column %2: %3)")
                     .arg(line)
                     .arg(column)
                     .arg(error);
        return std::nullopt;
    }
    const QDomNode first = document.firstChild();
    if (!first.isElement() || first.nodeName() != "QuillonStage") {
        reason = QStringLiteral("the file does not begin with the element \"QuillonStage\"");
        return std::nullopt;
    }
    CurrentStage read;
    bool found = false;
    for (QDomElement stage = first.firstChildElement("stage"); !stage.isNull();
         stage = stage.nextSiblingElement("stage")) {
        if (!readElement(stage, read, reason))
            return std::nullopt;
        found = true;
    }
    if (!found) {
        reason = QStringLiteral("the file holds no element \"stage\"");
        return std::nullopt;
    }
    return read;
}

bool writeStageExchange(const QString& path, const CurrentStage& stage, QString& reason)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(stageExchangeText(stage)) < 0 ||
        !file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}

bool readStageExchange(const QString& path, CurrentStage& stage, QString& reason)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    std::optional<CurrentStage> read = parseStageExchange(file.readAll(), reason);
    if (!read)
        return false;
    read->nome = stage.nome;
    stage = *read;
    return true;
}

QString stageExchangeFolder()
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/stage");
    QDir().mkpath(folder);
    return folder;
}
