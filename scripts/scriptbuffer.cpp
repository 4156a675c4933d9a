#include "scripts/scriptbuffer.h"

#include "scripts/scripttext.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace ostrel {

bool ScriptBuffer::LoadFile(const QString &path)
{
    // isFile() also turns away devices and pipes, which could block or never end.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > MaxFileSize)
        return false;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The file may have grown since it was looked at; read one byte more than allowed to see it.
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (bytes.size() > MaxFileSize || file.error() != QFileDevice::NoError)
        return false;

    SetText(decodeScriptBytes(bytes));
    m_fileName = path;
    return true;
}

void ScriptBuffer::SetText(const QString &text)
{
    m_text = text;
    resetSelection();
}

void ScriptBuffer::resetSelection()
{
    m_selStart = 0;
    m_selLength = 0;
    m_spanFrom = -1;
    m_spanEnd = -1;
}

qsizetype ScriptBuffer::Find(QStringView what, qsizetype start)
{
    if (what.isEmpty() || start < 0 || start > m_text.size())
        return -1;
    if (what != m_matcherPattern) {
        m_matcherPattern = what.toString();
        // The matcher copies a QString pattern; a view would dangle once `what` is gone.
        m_matcher = QStringMatcher(m_matcherPattern, Qt::CaseInsensitive);
    }
    const qsizetype found = m_matcher.indexIn(QStringView(m_text), start);
    if (found >= 0) {
        m_selStart = found;
        m_selLength = what.size();
    }
    return found;
}

void ScriptBuffer::Span()
{
    const qsizetype from = m_selStart + m_selLength;
    if (from < m_spanFrom || from > m_spanEnd) {
        qsizetype end = from;
        const QChar *text = m_text.constData();
        while (end < m_text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        m_spanFrom = from;
        m_spanEnd = end;
    }
    m_selLength = m_spanEnd - m_selStart;
}

bool ScriptBuffer::SaveFile(const QString &path, QString *errorMessage) const
{
    const QByteArray bytes = encodeScriptText(m_text);
    QSaveFile file(path);
    auto fail = [&] {
        if (errorMessage)
            *errorMessage = file.errorString();
        return false; // the temporary file goes with `file`; the old file stays as it was
    };
    // Unbuffered, a write that stops short (disk full, file size limit) shows in its count;
    // through the buffer it could go unnoticed until commit had already replaced the old file.
    // Writing the rest again gets the system's reason, which a short count alone does not carry.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail();
    for (qsizetype written = 0; written < bytes.size();) {
        const qint64 count = file.write(bytes.constData() + written, bytes.size() - written);
        if (count <= 0)
            return fail();
        written += count;
    }
    return file.commit() || fail();
}

} // namespace ostrel
