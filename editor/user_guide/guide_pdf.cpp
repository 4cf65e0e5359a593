// Turns the user guide's Markdown into a PDF, with its pictures.
// Use: guide_pdf GUIDE.md PICTURE-DIR OUTPUT.pdf
// A picture named in the guide is taken from PICTURE-DIR (freshly made by
// zefr_screenshots) when it is there, else from beside the guide.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>
#include <cstdio>

namespace {

// Widest picture: the text width of an A4 page with 20 mm margins, in the
// points the document is laid out in when printed, less its own margins.
constexpr qreal kMaxPictureWidth = 470;

class GuideDocument : public QTextDocument {
 public:
  GuideDocument(QString pictureDir, QString guideDir)
      : m_pictureDir(std::move(pictureDir)), m_guideDir(std::move(guideDir)) {}

  QStringList missing;

 protected:
  QVariant loadResource(int type, const QUrl& name) override {
    if (type != QTextDocument::ImageResource) return QTextDocument::loadResource(type, name);
    const QString relative = name.path();
    for (const QString& path : {m_pictureDir + '/' + QFileInfo(relative).fileName(), m_guideDir + '/' + relative}) {
      QImage image(path);
      if (!image.isNull()) return image;
    }
    missing << relative;
    return QImage();
  }

 private:
  QString m_pictureDir, m_guideDir;
};

// Gives every picture its own width, at most the text width.
void FitPictures(GuideDocument& doc) {
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      QTextImageFormat format = fragment.charFormat().toImageFormat();
      if (!format.isValid()) continue;
      const QImage image = doc.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
      if (image.isNull()) continue;
      const qreal scale = std::min<qreal>(1.0, kMaxPictureWidth / image.width());
      format.setWidth(image.width() * scale);
      format.setHeight(image.height() * scale);
      QTextCursor cursor(&doc);
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(format);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "Use: guide_pdf GUIDE.md PICTURE-DIR OUTPUT.pdf\n");
    return 2;
  }
  const QString source = QString::fromLocal8Bit(argv[1]);
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "guide_pdf: cannot read %s\n", argv[1]);
    return 1;
  }
  GuideDocument doc(QString::fromLocal8Bit(argv[2]), QFileInfo(source).absolutePath());
  doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
  doc.setMarkdown(QString::fromUtf8(in.readAll()));
  {
    // Without ligatures, so that "fi" stays two letters for search and copy.
    QTextCharFormat plain;
    plain.setFontStyleStrategy(QFont::PreferNoShaping);
    QTextCursor all(&doc);
    all.select(QTextCursor::Document);
    all.mergeCharFormat(plain);
  }
  FitPictures(doc);
  if (!doc.missing.isEmpty()) {
    std::fprintf(stderr, "guide_pdf: pictures not found: %s\n", qPrintable(doc.missing.join(", ")));
    return 1;
  }

  // Written beside the target and renamed, so a failed run leaves no half PDF.
  const QString target = QString::fromLocal8Bit(argv[3]);
  const QString partial = target + QStringLiteral(".part");
  {
    QPdfWriter writer(partial);
    writer.setTitle(QStringLiteral("Zefr Configuration Utility: User Guide"));
    writer.setCreator(QStringLiteral("Zefr configuration toolchain"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                                     QPageLayout::Millimeter));
    doc.print(&writer);
  }
  QFile::remove(target);
  if (QFileInfo(partial).size() == 0 || !QFile::rename(partial, target)) {
    QFile::remove(partial);
    std::fprintf(stderr, "guide_pdf: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
