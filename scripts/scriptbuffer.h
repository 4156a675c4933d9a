#pragma once

#include <QString>
#include <QStringMatcher>
#include <QStringView>

namespace ostrel {

/// The script buffer rtbScript: script text in transit between a file and the form or the
/// control. It is never shown; it offers the text box operations that reading and writing use.
class ScriptBuffer
{
public:
    static constexpr qint64 MaxFileSize = 1024 * 1024; // a larger file is not a script

    /// Setting FileName: the whole content of the file becomes the text. False (and nothing
    /// changed: text, FileName, selection) when the file cannot be loaded: missing, a directory,
    /// unreadable, larger than MaxFileSize.
    bool LoadFile(const QString &path);
    /// The full path last loaded.
    QString FileName() const { return m_fileName; }

    QString Text() const { return m_text; }
    /// The text without a copy; valid until the text changes.
    QStringView TextView() const { return m_text; }
    /// Replaces everything; "" empties. The selection goes back to the start.
    void SetText(const QString &text);

    /// Case-insensitive search from start (0-based) to the end; a match may begin anywhere.
    /// Returns the index of the match's first character or -1; a match becomes the selection.
    qsizetype Find(QStringView what, qsizetype start);
    /// Extends the selection forward, keeping its start, over every character that is neither CR nor LF.
    void Span();

    QString SelText() const { return m_text.mid(m_selStart, m_selLength); }
    qsizetype SelStart() const { return m_selStart; }
    qsizetype SelLength() const { return m_selLength; }

    /// Writes the whole text as plain text (Windows-1252 when every character fits, UTF-8 without BOM
    /// otherwise), replacing an existing file atomically. On failure returns false and sets
    /// *errorMessage to the reason in words a user understands.
    bool SaveFile(const QString &path, QString *errorMessage = nullptr) const;

private:
    void resetSelection();

    QString m_text;
    QString m_fileName;
    qsizetype m_selStart = 0;
    qsizetype m_selLength = 0;

    // The readers search for the same keyword many times in a row; the matcher's skip table
    // is built once per keyword rather than once per search.
    QStringMatcher m_matcher;
    QString m_matcherPattern;

    // The end of the line last spanned and the earliest position known to lie on that line
    // without a line break in between: spanning again from inside that stretch costs nothing,
    // which keeps many matches on one long line linear.
    qsizetype m_spanFrom = -1;
    qsizetype m_spanEnd = -1;
};

} // namespace ostrel
