#include "captured_run.h"

#include <sys/statvfs.h>

#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTimer>
#include <QVBoxLayout>

namespace zefr {
namespace {

// The system's reason, and the likely cause when it is not plain from that.
QString WhyNotStarted(const QString& program, const QProcess& process) {
  QString why = QStringLiteral("Cannot start \"%1\": %2").arg(program, process.errorString());
  struct statvfs fs;
  const QByteArray folder = QFile::encodeName(QFileInfo(program).absolutePath());
  if (::statvfs(folder.constData(), &fs) == 0 && (fs.f_flag & ST_NOEXEC) != 0)
    why += QStringLiteral(" (\"%1\" is on a file system mounted noexec)").arg(QFileInfo(program).absolutePath());
  return why;
}

}  // namespace

RunResult RunWithCapturedOutput(const QString& program, const QStringList& arguments,
                                const QString& workingDirectory,
                                const std::function<void(const QString&)>& onOutput,
                                const std::function<bool()>& cancelRequested) {
  RunResult result;
  QProcess process;
  process.setProgram(program);
  process.setArguments(arguments);
  process.setWorkingDirectory(workingDirectory);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setStandardInputFile(QProcess::nullDevice());

  // Chunks can split a multi-byte character; the decoder keeps the half.
  QStringDecoder decode(QStringDecoder::System);
  auto take = [&] {
    const QByteArray bytes = process.readAllStandardOutput();
    if (bytes.isEmpty()) return;
    const QString text = decode(bytes);
    result.output += text;
    if (onOutput && !text.isEmpty()) onOutput(text);
  };

  QEventLoop loop;
  QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, take);
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart) loop.quit();
  });
  // Cancel: first a request to end, then, if the program does not, the end.
  QTimer cancelPoll;
  if (cancelRequested) {
    QObject::connect(&cancelPoll, &QTimer::timeout, &loop, [&] {
      if (result.cancelled || !cancelRequested()) return;
      result.cancelled = true;
      process.terminate();
      QTimer::singleShot(2000, &process, [&process] { process.kill(); });
    });
    cancelPoll.start(50);
  }
  process.start();
  // Input to other windows stays blocked by the modal wait dialog; timers and
  // painting go on.
  if (process.state() != QProcess::NotRunning) loop.exec();
  result.started = process.error() != QProcess::FailedToStart;
  if (!result.started) result.error = WhyNotStarted(program, process);
  take();
  const QString rest = decode(QByteArray());
  result.output += rest;
  if (onOutput && !rest.isEmpty()) onOutput(rest);
  result.exitedCleanly = result.started && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
  // A program that finished on its own before the request reached it was not cancelled.
  if (result.exitedCleanly) result.cancelled = false;
  return result;
}

}  // namespace zefr

CWaitDialog::CWaitDialog(const QString& headline, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Zefr Configuration Utility"));
  setModal(true);
  setWindowFlag(Qt::WindowCloseButtonHint, false);
  m_headline = new QLabel(headline, this);
  m_output = new QPlainTextEdit(this);
  m_output->setReadOnly(true);
  m_output->setMinimumSize(520, 240);
  m_elapsed = new QLabel(this);
  m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  m_cancel->setAutoDefault(false);
  connect(m_cancel, &QPushButton::clicked, this, [this] {
    m_cancelRequested = true;
    m_cancel->setEnabled(false);
  });
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(m_elapsed, 1);
  bottom->addWidget(m_cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_headline);
  layout->addWidget(m_output);
  layout->addLayout(bottom);
  m_clock.start();
  showElapsed();
  auto* tick = new QTimer(this);
  connect(tick, &QTimer::timeout, this, &CWaitDialog::showElapsed);
  tick->start(250);
}

QString CWaitDialog::elapsedText() const { return m_elapsed->text(); }

void CWaitDialog::showElapsed() {
  const qint64 seconds = m_clock.elapsed() / 1000;
  m_elapsed->setText(
      QStringLiteral("Elapsed time: %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

void CWaitDialog::appendOutput(const QString& text) {
  // Line ends arrive as CR LF on some systems; the pane wants line feeds.
  QString plain = text;
  plain.remove(u'\r');
  m_output->moveCursor(QTextCursor::End);
  m_output->insertPlainText(plain);
  m_output->verticalScrollBar()->setValue(m_output->verticalScrollBar()->maximum());
}

QString CWaitDialog::outputText() const { return m_output->toPlainText(); }

QString CWaitDialog::headline() const { return m_headline->text(); }

void CWaitDialog::closeEvent(QCloseEvent* e) { e->ignore(); }
