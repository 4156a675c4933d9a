// The control and its store at 100 to 50,000 stored definitions: start-up, loading,
// saving and deleting a definition, and the section read under all of them, next to
// the floor of that read (a bare SQLite loop over the same rows).
//
// Store files are built once per run and shared; benchmarks that change them put
// every definition back, so each repetition sees a store of the same size.

#include "bench/storefixture.h"
#include "store/sqlitesettingsstore.h"
#include "store/definitionkeys.h"
#include "tests/support/fakes.h"

#include <control/uctc.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

const QString kApp = kApplication.toString();
const QString kSection = kDefinedTCs.toString();

void storeSizes(benchmark::internal::Benchmark *b)
{
    for (int definitions : {100, 1000, 10000, 50000})
        b->Arg(definitions);
    b->Unit(benchmark::kMillisecond);
}

// A plain SQLite connection to a store file, as another program has it.
struct OtherConnection {
    explicit OtherConnection(const QString &path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db, 5000);
    }
    ~OtherConnection() { sqlite3_close(db); }
    sqlite3 *db = nullptr;
};

// ---- The section read and its floor

// The section read again from a store whose file is unchanged since the last read.

void GetAllSettings(benchmark::State &state)
{
    SqliteSettingsStore store(bench::storeWithDefinitions(int(state.range(0))));
    store.GetAllSettings(kApp, kSection); // the first read of the section goes to the file
    size_t rows = 0;
    for (auto _ : state) {
        const auto all = store.GetAllSettings(kApp, kSection);
        rows = all ? all->size() : 0;
        benchmark::DoNotOptimize(all);
    }
    state.counters["rows"] = double(rows);
}

// Another program commits before every read, so every read goes to the file.
void GetAllSettingsAfterOtherProgramWrote(benchmark::State &state)
{
    const QString path = bench::storeWithDefinitions(int(state.range(0)));
    SqliteSettingsStore store(path);
    OtherConnection other(path);
    size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A real change: SQLite commits nothing for a value written over with itself.
        sqlite3_exec(other.db,
            "UPDATE settings SET value = CASE value WHEN 'Rename' THEN 'RENAME' ELSE 'Rename' END"
            " WHERE key_folded = 'directory cleanup'",
            nullptr, nullptr, nullptr);
        state.ResumeTiming();
        const auto all = store.GetAllSettings(kApp, kSection);
        rows = all ? all->size() : 0;
        benchmark::DoNotOptimize(all);
    }
    state.counters["rows"] = double(rows);
}

// The least any enumeration of the section can cost: the store's own query, stepped
// through with each key and value copied out as UTF-8.
void SqliteFloor(benchmark::State &state)
{
    OtherConnection connection(bench::storeWithDefinitions(int(state.range(0))));
    size_t rows = 0;
    for (auto _ : state) {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(connection.db,
            "SELECT key, value FROM settings"
            " WHERE application_folded = ?1 AND section_folded = ?2 ORDER BY id",
            -1, &statement, nullptr);
        sqlite3_bind_text(statement, 1, "vantrel", -1, SQLITE_STATIC);
        sqlite3_bind_text(statement, 2, "definedtcs", -1, SQLITE_STATIC);
        std::vector<std::pair<std::string, std::string>> all;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            all.emplace_back(std::string(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)),
                                 size_t(sqlite3_column_bytes(statement, 0))),
                std::string(reinterpret_cast<const char *>(sqlite3_column_text(statement, 1)),
                    size_t(sqlite3_column_bytes(statement, 1))));
        }
        sqlite3_finalize(statement);
        rows = all.size();
        benchmark::DoNotOptimize(all);
    }
    state.counters["rows"] = double(rows);
}

// Opening the file as the first read does: the integrity check, the connection set-up,
// one key read.
void OpenStore(benchmark::State &state)
{
    const QString path = bench::storeWithDefinitions(int(state.range(0)));
    for (auto _ : state) {
        SqliteSettingsStore store(path);
        benchmark::DoNotOptimize(store.GetSetting(kApp, kTCSettings.toString(), kDirectoryCleanup.toString(), {}));
    }
}

// ---- The control

// A control on its own store connection and recording fakes.
struct Session {
    explicit Session(int definitions)
        : fakes(std::make_shared<SqliteSettingsStore>(bench::storeWithDefinitions(definitions)))
    {
    }

    void start() { control = std::make_unique<ucTC>(fakes.services()); }

    template<typename T>
    T *find(const QString &name) const
    {
        return control->findChild<T *>(name);
    }
    QComboBox *names() const { return find<QComboBox>(u"cboTClist"_s); }

    void click(const QString &key) const
    {
        find<QWidget>(u"tbToolbar"_s)->findChild<QAction *>(key, Qt::FindDirectChildrenOnly)->trigger();
    }

    // As a user chooses a name in the list.
    void choose(int index) const
    {
        QComboBox *list = names();
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    }
    void choose(const QString &name) const { choose(names()->findText(name, Qt::MatchExactly)); }

    void pick(const QString &button, const QString &path) const
    {
        fakes.dialogs->answer(path);
        find<QPushButton>(button)->click();
    }

    // Enters a definition with every field filled, ready to be saved as new.
    void enterNewDefinition(const QString &name) const
    {
        click(u"New"_s);
        find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(1);
        find<QLineEdit>(u"txtTCName"_s)->setText(name);
        const QString folder = u"/home/player/games/duke3d/new/"_s;
        pick(u"cmdGroupFile"_s, folder + u"CONV.GRP"_s);
        pick(u"cmdGameCon"_s, folder + u"GAME.CON"_s);
        pick(u"cmdTextFile"_s, folder + u"README.TXT"_s);
        pick(u"cmdOtherFiles"_s, folder + u"E1L1.MAP"_s);
        pick(u"cmdOtherFiles"_s, folder + u"TILES000.ART"_s);
    }

    void deleteChosen() const
    {
        fakes.messages->answers.push_back(true);
        click(u"Delete"_s);
    }

    test::Fakes fakes;
    std::unique_ptr<ucTC> control;
};

// The name of a definition half-way down the list: a load reads the whole section
// wherever the name is, but the editor work is that of a typical definition.
QString middleName(int definitions)
{
    return bench::definitionName(definitions / 2);
}

// From a store opened afresh, as when the launcher starts, to a filled names list.
void StartUp(benchmark::State &state)
{
    const QString path = bench::storeWithDefinitions(int(state.range(0)));
    int listed = 0;
    for (auto _ : state) {
        auto fakes = std::make_unique<test::Fakes>(std::make_shared<SqliteSettingsStore>(path));
        auto control = std::make_unique<ucTC>(fakes->services());
        listed = control->findChild<QComboBox *>(u"cboTClist"_s)->count();
        // Tearing down is not part of starting up: the store frees every row it kept.
        state.PauseTiming();
        control.reset();
        fakes.reset();
        state.ResumeTiming();
    }
    state.counters["names"] = listed;
}

void LoadDefinition(benchmark::State &state)
{
    Session session(int(state.range(0)));
    session.start();
    const QString name = middleName(int(state.range(0)));
    const int index = session.names()->findText(name, Qt::MatchExactly);
    auto *nameField = session.find<QLineEdit>(u"txtTCName"_s);
    for (auto _ : state) {
        session.choose(index);
        if (nameField->text() != name)
            state.SkipWithError("the definition was not loaded");
    }
}

// A stored definition loaded, its version changed, saved.
void SaveEditedDefinition(benchmark::State &state)
{
    Session session(int(state.range(0)));
    session.start();
    const QString name = middleName(int(state.range(0)));
    auto *version = session.find<QComboBox>(u"cboVersComp"_s);
    for (auto _ : state) {
        state.PauseTiming();
        session.choose(name);
        version->setCurrentIndex((version->currentIndex() + 1) % version->count());
        state.ResumeTiming();
        session.click(u"Save"_s);
    }
    if (!session.fakes.messages->messages.empty())
        state.SkipWithError("a save was refused");
}

// A new definition saved; deleted again outside the measured time.
void SaveNewDefinition(benchmark::State &state)
{
    Session session(int(state.range(0)));
    session.start();
    const QString name = u"Brand New Conversion"_s;
    const int before = session.names()->count();
    for (auto _ : state) {
        state.PauseTiming();
        session.enterNewDefinition(name);
        state.ResumeTiming();
        session.click(u"Save"_s);
        state.PauseTiming();
        session.choose(name);
        session.deleteChosen();
        state.ResumeTiming();
    }
    if (session.names()->count() != before || qsizetype(session.fakes.messages->messages.size()) != state.iterations())
        state.SkipWithError("a save or a delete went wrong");
}

// A stored definition deleted (the question answered Yes); saved again outside the
// measured time.
void DeleteDefinition(benchmark::State &state)
{
    Session session(int(state.range(0)));
    session.start();
    const QString name = middleName(int(state.range(0)));
    const int before = session.names()->count();
    for (auto _ : state) {
        state.PauseTiming();
        session.choose(name);
        state.ResumeTiming();
        session.deleteChosen();
        state.PauseTiming();
        session.enterNewDefinition(name);
        session.click(u"Save"_s);
        state.ResumeTiming();
    }
    if (session.names()->count() != before || qsizetype(session.fakes.messages->messages.size()) != state.iterations())
        state.SkipWithError("a delete or a save went wrong");
}

BENCHMARK(SqliteFloor)->Apply(storeSizes);
BENCHMARK(GetAllSettings)->Apply(storeSizes);
BENCHMARK(GetAllSettingsAfterOtherProgramWrote)->Apply(storeSizes);
BENCHMARK(OpenStore)->Apply(storeSizes);
BENCHMARK(StartUp)->Apply(storeSizes);
BENCHMARK(LoadDefinition)->Apply(storeSizes);
BENCHMARK(SaveEditedDefinition)->Apply(storeSizes);
BENCHMARK(SaveNewDefinition)->Apply(storeSizes);
BENCHMARK(DeleteDefinition)->Apply(storeSizes);

} // namespace

int main(int argc, char **argv)
{
    // No display needed; a GTK platform theme kills an offscreen process.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_QPA_PLATFORMTHEME");
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
