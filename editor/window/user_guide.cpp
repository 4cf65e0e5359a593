#include "user_guide.h"

#include <QDir>
#include <QFileInfo>

const char kUserGuideFile[] = "ZEFRCT_GUI_ug.pdf";
const char kInstalledGuideDir[] = ZEFR_INSTALLED_GUIDE_DIR;

QString UserGuidePath(const QString& programDir) {
  const QString beside = programDir + QLatin1String(kUserGuideFile);
  const QString installed =
      programDir + QLatin1String(kInstalledGuideDir) + QLatin1Char('/') + QLatin1String(kUserGuideFile);
  if (!QFileInfo::exists(beside) && QFileInfo(installed).isFile()) return installed;
  return beside;
}

QStringList UserGuidePlaces(const QString& programDir) {
  return {QDir::cleanPath(programDir + QLatin1String(kUserGuideFile)),
          QDir::cleanPath(programDir + QLatin1String(kInstalledGuideDir) + QLatin1Char('/') +
                          QLatin1String(kUserGuideFile))};
}
