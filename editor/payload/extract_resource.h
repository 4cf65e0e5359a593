// Embedded files: the built compiler and link library travel inside the editor as
// resources of type "RELFILE" (141 the compiler, 147 the library), so the editor
// always runs the compiler of its own build.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace zefr {

inline constexpr int kCompilerResource = 141;
inline constexpr int kLibraryResource = 147;

// Copies the bytes of the resource of that type and id into a file created (or
// truncated) at the path. A missing resource or a file that cannot be made is
// skipped silently: a missing compiler shows up later as empty output. Files of
// type "RELFILE" are programs and libraries, so they are made executable.
void ExtractResource(const QString& type, int id, const QString& path);

// The bytes of the resource of that type and id; nothing when there is none.
std::optional<QByteArray> ResourceBytes(const QString& type, int id);

}  // namespace zefr
