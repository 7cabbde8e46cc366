#pragma once
// Turns the stored font record into the font the view (and the printout)
// draws with, and a font the user chose back into a record.

#include "settings/font_record.h"

#include <QFont>

// The record's face, size, weight and styles; a face the system lacks gives
// way to the system's monospaced family at the same size.
QFont MakeViewFont(const OFontRecord& record);

// The record of a chosen font: its family as the face name, its size as a
// negative pixel height (the characters' own height), weight and styles; the
// rest says a fixed-pitch font of the ANSI character set.
OFontRecord RecordFromFont(const QFont& font);

// `font` with the style name of its family that has its weight and slant
// ("Book", "Bold"), so a font chooser starts on that style.
QFont WithRecordStyle(QFont font);

// The face and its size as the settings show them: "DejaVu Sans Mono, 12 pt".
QString FontDisplayName(const OFontRecord& record);
