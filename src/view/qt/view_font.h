#pragma once
// Turns the stored font record into the font the view draws with.

#include "settings/font_record.h"

#include <QFont>

// The record's face, size, weight and styles; a face the system lacks gives
// way to the system's monospaced family at the same size.
QFont MakeViewFont(const OFontRecord& record);
