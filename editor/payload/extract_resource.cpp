#include "extract_resource.h"

#include <QFile>

// The embedded files are compiled into a static library; naming their
// initialiser here keeps the linker from dropping them. Outside any namespace,
// as the initialiser is declared where it is named.
static void initEmbeddedFiles() {
  static const bool done = [] {
    Q_INIT_RESOURCE(relfiles);
    return true;
  }();
  (void)done;
}

namespace zefr {

std::optional<QByteArray> ResourceBytes(const QString& type, int id) {
  initEmbeddedFiles();
  QFile resource(QStringLiteral(":/%1/%2").arg(type).arg(id));
  if (!resource.open(QIODevice::ReadOnly)) return std::nullopt;
  return resource.readAll();
}

void ExtractResource(const QString& type, int id, const QString& path) {
  const std::optional<QByteArray> bytes = ResourceBytes(type, id);
  if (!bytes) return;
  QFile out(path);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  out.write(*bytes);
  if (type == QLatin1String("RELFILE"))
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

}  // namespace zefr
