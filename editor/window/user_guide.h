#pragma once

// Where Help > User Guide finds the guide.

#include <QString>
#include <QStringList>

// The guide's file name.
extern const char kUserGuideFile[];
// Where an install puts the guide, relative to the installed program's folder.
extern const char kInstalledGuideDir[];

// The guide beside the program (`programDir` ends in '/') when it is there,
// else the installed one when that is there, else the path beside the
// program, which then opens nothing.
QString UserGuidePath(const QString& programDir);

// The paths UserGuidePath tries, in its order, for telling the user where it looked.
QStringList UserGuidePlaces(const QString& programDir);
