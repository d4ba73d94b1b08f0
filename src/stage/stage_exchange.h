#pragma once

#include "stage/current_stage.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The stage exchange file: a stage's geometry, colours, masks and options as a small XML file
// (root "QuillonStage", one empty element "stage" with 25 attributes in a fixed order),
// without the stage's name or its place in the list.

// The file's text for this stage: UTF-8, no declaration, "stage" indented on a line of its own.
QByteArray stageExchangeText(const CurrentStage& stage);

// The stage values a file's text holds, every one checked before any is taken: the first node
// is the element "QuillonStage", only its "stage" children are read (the last one wins), each
// carries all 25 attributes, numbers are whole numbers in their field's range, the flags 0 or
// 1 and the mask shapes 0 to 3. Nullopt, with the reason in `reason`, otherwise. The name is
// left empty.
std::optional<CurrentStage> parseStageExchange(const QByteArray& text, QString& reason);

// Writes the file whole, through a temporary file renamed at the end, or leaves what was
// there; false with the reason.
bool writeStageExchange(const QString& path, const CurrentStage& stage, QString& reason);

// Takes the file's values into `stage` (its name stays); false, with nothing changed and the
// reason, for a file that cannot be read or is not a whole, valid stage.
bool readStageExchange(const QString& path, CurrentStage& stage, QString& reason);

// The folder "stage" beside the executable, made when missing; the dialogs open there.
QString stageExchangeFolder();
