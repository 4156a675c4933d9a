#include "host/logdialog.h"

#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// An engine may write for hours; the end is what tells why it stopped.
constexpr qint64 kMostBytesShown = 1 << 20;

} // namespace

QString LogDialog::tailOf(const QString &path, int maxLines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    if (size > kMostBytesShown)
        file.seek(size - kMostBytesShown);
    QString text = QString::fromUtf8(file.readAll());
    if (size > kMostBytesShown)
        text = text.mid(text.indexOf(u'\n') + 1); // the first line was cut
    if (maxLines > 0) {
        QStringList lines = text.split(u'\n');
        if (!lines.isEmpty() && lines.constLast().isEmpty())
            lines.removeLast();
        if (lines.size() > maxLines)
            lines = lines.mid(lines.size() - maxLines);
        text = lines.join(u'\n');
    }
    return text;
}

LogDialog::LogDialog(const QString &heading, const QString &logPath, int maxLines, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"logViewer"_s);
    setWindowTitle(u"Game log"_s);
    auto *column = new QVBoxLayout(this);
    auto *lblHeading = new QLabel(heading);
    lblHeading->setObjectName(u"logHeading"_s);
    lblHeading->setTextFormat(Qt::PlainText);
    lblHeading->setWordWrap(true);
    lblHeading->setVisible(!heading.isEmpty());
    column->addWidget(lblHeading);
    auto *lblPath = new QLabel(u"Log: "_s + logPath);
    lblPath->setObjectName(u"logPath"_s);
    lblPath->setTextFormat(Qt::PlainText);
    lblPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblPath->setWordWrap(true);
    column->addWidget(lblPath);
    auto *txtLog = new QPlainTextEdit;
    txtLog->setObjectName(u"logText"_s);
    txtLog->setReadOnly(true);
    txtLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QString text = tailOf(logPath, maxLines);
    txtLog->setPlainText(text.isEmpty() && !QFile::exists(logPath) ? u"(the log cannot be read)"_s : text);
    txtLog->moveCursor(QTextCursor::End);
    column->addWidget(txtLog, 1);
    auto *close = new QPushButton(u"Close"_s);
    close->setObjectName(u"logClose"_s);
    close->setDefault(true);
    column->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(700, 420);
}

} // namespace ostrel
