// Feeds arbitrary file contents through decoding and the script reading rules, and checks what
// must hold for any input: the encoding round trip, no value reaching over a line end, and the
// readers agreeing with the rules carried out literally, one search and one copy at a time.

#include "scripts/scriptbuffer.h"
#include "scripts/scriptformat.h"
#include "scripts/scripttext.h"

#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "script reader check failed: %s\n", what);
        std::abort();
    }
}

qsizetype lineEndFrom(QStringView text, qsizetype from)
{
    while (from < text.size() && text[from] != u'\r' && text[from] != u'\n')
        ++from;
    return from;
}

QString literalValue(QStringView text, qsizetype at, QStringView keyword)
{
    QString line = text.sliced(at, lineEndFrom(text, at) - at).toString();
    return line.replace(keyword.toString() + u' ', QString(), Qt::CaseInsensitive);
}

std::optional<QString> literalDirective(QStringView text, QStringView keyword)
{
    const qsizetype at = text.indexOf(keyword, 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    return literalValue(text, at, keyword);
}

QStringList literalOtherFiles(QStringView text)
{
    QStringList files;
    for (qsizetype at = 0; (at = text.indexOf(ostrel::ScriptKeyword::OtherFile, at, Qt::CaseInsensitive)) >= 0;
         at += 8) {
        files.append(literalValue(text, at, ostrel::ScriptKeyword::OtherFile));
    }
    return files;
}

bool holdsLineBreak(const QString &value)
{
    return value.contains(u'\r') || value.contains(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace ostrel;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = decodeScriptBytes(bytes);

    check(decodeScriptBytes(encodeScriptText(text)) == text, "written text reads back the same");
    if (QByteArrayView(bytes).isValidUtf8() && !bytes.startsWith("\xEF\xBB\xBF") && !bytes.startsWith("\xFF\xFE")
        && !bytes.startsWith("\xFE\xFF")) {
        check(text.toUtf8() == bytes, "valid UTF-8 decodes without loss");
    }

    ScriptBuffer buffer;
    buffer.SetText(text);
    const ScriptDirectives script = ReadScript(buffer);
    check(buffer.Text() == text, "reading leaves the text alone");

    const std::pair<const std::optional<QString> *, QStringView> singles[] = {
        {&script.dukeVersion, ScriptKeyword::DukeVersion},
        {&script.tcName, ScriptKeyword::TcName},
        {&script.tcVersion, ScriptKeyword::TcVersion},
        {&script.groupFile, ScriptKeyword::GroupFile},
        {&script.gameCon, ScriptKeyword::GameCon},
        {&script.textFile, ScriptKeyword::TextFile},
        {&script.author, ScriptKeyword::Author},
        {&script.email, ScriptKeyword::Email},
        {&script.web, ScriptKeyword::Web},
    };
    for (const auto &[value, keyword] : singles) {
        check(!value->has_value() || !holdsLineBreak(**value), "a value stays on its line");
        check(*value == literalDirective(text, keyword), "single-valued directive as the rule reads it");
    }
    for (const QString &file : script.otherFiles)
        check(!holdsLineBreak(file), "an other file stays on its line");

    // The literal reading copies the rest of the line per occurrence; keep it to inputs where
    // that stays cheap.
    if (text.size() <= 64 * 1024)
        check(script.otherFiles == literalOtherFiles(text), "other files as the rule reads them");

    if (script.dukeVersion) {
        const QStringList items = {
            QStringLiteral("1.3D"), QStringLiteral("1.4/1.5 Atomic"), QStringLiteral("1.3D and 1.4/1.5")};
        const QString wanted = script.dukeVersion->toUpper();
        const int index = MatchVersion(*script.dukeVersion, items);
        check(index >= -1 && index < items.size(), "a version index is an item or none");
        for (int i = 0; i < (index < 0 ? items.size() : index); ++i)
            check(items[i].toUpper() != wanted, "no earlier item equals the version");
        check(index < 0 || items[index].toUpper() == wanted, "the chosen item equals the version");
    }
    return 0;
}
