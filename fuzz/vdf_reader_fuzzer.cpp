// Feeds arbitrary bytes to the KeyValues reader and to the Steam library list read from it, and
// checks what must hold for any input: the reader gives either an error and no keys or keys and
// no error, never nests deeper than its limit, and what it read, written back as quoted text,
// reads back the same. The library list names only absolute, clean paths.
//
// Linked into launcher_tests as well, which replays the seeds of vdf_corpus/ on every run;
// there OSTREL_LIBFUZZER is not set and the entry point is fuzzVdfReader().

#include "launcher/installhints.h"
#include "launcher/keyvalues.h"

#include <QDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "KeyValues reader check failed: %s\n", what);
        std::abort();
    }
}

QByteArray quoted(const QString &text)
{
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c == '\n' ? QByteArray("\\n") : c == '\t' ? QByteArray("\\t") : QByteArray(1, c);
    }
    return out + '"';
}

void write(QByteArray &out, const QList<ostrel::KeyValue> &keys)
{
    for (const ostrel::KeyValue &entry : keys) {
        out += quoted(entry.key);
        if (entry.isBlock) {
            out += "\n{\n";
            write(out, entry.children);
            out += "}\n";
        } else {
            out += ' ' + quoted(entry.value) + '\n';
        }
    }
}

int depthOf(const QList<ostrel::KeyValue> &keys)
{
    int deepest = 0;
    for (const ostrel::KeyValue &entry : keys) {
        if (entry.isBlock)
            deepest = std::max(deepest, 1 + depthOf(entry.children));
    }
    return deepest;
}

} // namespace

int fuzzVdfReader(const uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));
    const ostrel::KeyValuesDocument document = ostrel::readKeyValues(text);
    check(document.ok() != document.error.contains(u"line"), "an error, and only an error, names its line");
    if (!document.ok()) {
        check(document.keys.isEmpty(), "a refused text has no keys");
    } else {
        check(depthOf(document.keys) <= ostrel::kKeyValuesMaxDepth, "blocks nest no deeper than the limit");
        QByteArray written;
        write(written, document.keys);
        const ostrel::KeyValuesDocument again = ostrel::readKeyValues(written);
        check(again.ok(), "what was read, written back, can be read");
        // The writer quotes and escapes everything, so equal texts mean equal keys.
        QByteArray writtenAgain;
        write(writtenAgain, again.keys);
        check(writtenAgain == written, "what was read, written back, reads the same");
    }

    QString error;
    const QStringList folders = ostrel::steamLibraryFolders(text, &error);
    check(error == document.error, "the library list fails exactly when the text cannot be read");
    for (const QString &folder : folders)
        check(QDir::isAbsolutePath(folder) && QDir::cleanPath(folder) == folder, "libraries are absolute, clean paths");
    return 0;
}

#ifdef OSTREL_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return fuzzVdfReader(data, size);
}
#endif
