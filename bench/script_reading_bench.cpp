// Reading time of scripts at the size limit and twice that, for texts built to be the worst
// for the reading rules: if the reader turns quadratic anywhere, 2 MiB takes about four times
// as long as 1 MiB instead of twice.

#include "scripts/scriptbuffer.h"
#include "scripts/scriptformat.h"

#include <benchmark/benchmark.h>

#include <functional>

namespace {

using namespace ostrel;

constexpr qsizetype mebibyte = 1024 * 1024;

const QStringView singleKeywords[] = {
    ScriptKeyword::DukeVersion,
    ScriptKeyword::TcName,
    ScriptKeyword::TcVersion,
    ScriptKeyword::ReleaseDate,
    ScriptKeyword::GroupFile,
    ScriptKeyword::GameCon,
    ScriptKeyword::TextFile,
    ScriptKeyword::Author,
    ScriptKeyword::Email,
    ScriptKeyword::Web,
};

QString repeatUntil(qsizetype size, QString text, const std::function<QString(qsizetype)> &piece)
{
    for (qsizetype i = 0; text.size() < size; ++i)
        text += piece(i);
    text.truncate(size);
    return text;
}

// One line without a line end: a name whose value is the whole text, then nothing but
// other-file prefixes. Every other file starts a new search on that same line, and the
// directives that are missing are searched for through all of it.
QString oneHugeLine(qsizetype size)
{
    return repeatUntil(
        size, ScriptKeyword::TcName % u' ', [](qsizetype) -> QString { return ScriptKeyword::OtherFile % u' '; });
}

// Short lines without any keyword: every search runs to the end of the text.
QString shortLines(qsizetype size)
{
    return repeatUntil(size, {},
        [](qsizetype i) -> QString { return QString::number(i % 100000000).rightJustified(8, u'0') + u"\r\n"; });
}

// Every line a directive, cycling through all keywords; most lines are other files.
QString keywordLines(qsizetype size)
{
    return repeatUntil(size, {}, [](qsizetype i) -> QString {
        const QStringView keyword =
            i % 3 == 0 ? singleKeywords[(i / 3) % std::size(singleKeywords)] : ScriptKeyword::OtherFile;
        return keyword % u' ' % QString::number(i % 10) % u"\r\n";
    });
}

void readScript(benchmark::State &state, QString (*make)(qsizetype))
{
    const QString text = make(state.range(0) * mebibyte);
    ScriptBuffer buffer;
    buffer.SetText(text);
    qsizetype otherFiles = 0;
    for (auto _ : state) {
        const ScriptDirectives script = ReadScript(buffer);
        otherFiles = script.otherFiles.size();
        benchmark::DoNotOptimize(script);
    }
    state.SetBytesProcessed(state.iterations() * text.size() * qsizetype(sizeof(QChar)));
    state.counters["otherFiles"] = double(otherFiles);
}

BENCHMARK_CAPTURE(readScript, OneHugeLine, &oneHugeLine)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readScript, ShortLines, &shortLines)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readScript, KeywordLines, &keywordLines)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace
