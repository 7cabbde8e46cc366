#pragma once
// The program's pictures, painted by its own code: the icons of resource
// 1001 (the program) and 1002 (document windows), and the toolbar glyph of
// each command id.

#include <QIcon>

QIcon ProgramIcon(int id);
QIcon CommandGlyph(int id);
