// Times `velmora-report generate --all` for a year at scale 10, the whole
// process from start to exit (sign-in, report log, transactions and all),
// against the uploads alone: the same upload statements run one after the
// other on one connection of this process. The two are measured in turns in
// one run, so that a busy machine weighs on both alike; the counters give
// each one's median and how much the command adds to the uploads' own time.
// The seventeen uploads of the catalogue, listed or not, are timed too.
//
// Needs velmora-report beside it (the default build makes both).
// Run: bench_report_tool --benchmark_repetitions=1

#include "adodb/Connection.h"
#include "buildfile/Sections.h"
#include "catalogue/ReportCatalogue.h"
#include "embedded/DemoHospital.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"
#include "session/UserAccounts.h"
#include "startup/modSysConstants.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

const QString kUser = QStringLiteral("bench");
const QString kPassword = QStringLiteral("bench-password-1");

// The session start-up keeps, for the visibility flags of the store.
class StoreSession : public session::CurrentUser
{
public:
    explicit StoreSession(adodb::ConnectionPtr connection)
        : m_connection(std::move(connection))
    {}
    adodb::ConnectionPtr sqlconnection() override { return m_connection; }
    void setPasswordDeptCode(const QString &) override {}
    QString PasswordDeptCode() const override { return QString(); }
    void ShowMain() override {}
    com::Variant Connected() const override { return true; }
    QString ServerName() const override { return QString(); }
    QString UserID() const override { return QString(); }
    QString ServerPassword() const override { return QString(); }

private:
    adodb::ConnectionPtr m_connection;
};

// A store holding the whole of 2026 at scale 10, with its report setup and a
// user, created once.
const QString &yearStore()
{
    static QTemporaryDir dir;
    static QString folder;
    if (folder.isEmpty()) {
        folder = dir.path() + QStringLiteral("/store");
        QElapsedTimer timer;
        timer.start();
        embedded::Store store(folder);
        embedded::DemoHospital::Options options;
        options.referenceDate = QDate(2027, 1, 1);
        options.scale = 10;
        options.fullYears = 1;
        embedded::DemoHospital::fill(store, options);
        session::UserAccounts(store).addUser({kUser, kPassword, false, modSysConstants::kDepartmentCode, true});
        adodb::Connection(std::make_unique<embedded::EmbeddedBackend>(folder))
            .Execute(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'13','23'"));
        std::fprintf(stderr, "demo store of 2026 at scale 10 created in %.1f s\n", double(timer.elapsed()) / 1000.0);
    }
    return folder;
}

QString uploadStatement(const catalogue::ReportItem &item)
{
    return QStringLiteral("Patient_Data..") + item.uploadProcedure + QStringLiteral(" '01/01/2026','12/31/2026'") +
           (item.takesUploadOption ? QStringLiteral(",2") : QString());
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

void generateAllForAYear(benchmark::State &state)
{
    const QString folder = yearStore();
    auto connection = std::make_shared<adodb::Connection>(std::make_unique<embedded::EmbeddedBackend>(folder));

    // The uploads the command sends: those of the sections the window lists.
    modSysConstants::pobjCurrentUser = std::make_shared<StoreSession>(connection);
    modSysConstants::LoadDOHSetupFlags();
    modSysConstants::pobjCurrentUser.reset();
    QStringList listed, all;
    for (const catalogue::ReportItem *item : buildfile::ListedSections())
        if (!item->uploadProcedure.isEmpty())
            listed.append(uploadStatement(*item));
    for (const catalogue::ReportItem &item : catalogue::ReportCatalogue())
        if (!item.uploadProcedure.isEmpty())
            all.append(uploadStatement(item));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELMORA_PASSWORD"), kPassword);
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/velmora-report");
    const QStringList arguments = {QStringLiteral("generate"),
                                   QStringLiteral("--store"),
                                   folder,
                                   QStringLiteral("--user"),
                                   kUser,
                                   QStringLiteral("--year"),
                                   QStringLiteral("2026"),
                                   QStringLiteral("--period"),
                                   QStringLiteral("Yearly"),
                                   QStringLiteral("--all")};

    std::vector<double> commandTimes, uploadTimes, allUploadTimes;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (const QString &statement : listed)
            connection->Execute(statement);
        uploadTimes.push_back(seconds(timer));

        QProcess process;
        process.setProcessEnvironment(env);
        process.setStandardOutputFile(QProcess::nullDevice());
        timer.restart();
        process.start(program, arguments);
        const bool ended = process.waitForFinished(-1);
        const double taken = seconds(timer);
        if (!ended || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            state.SkipWithError(("velmora-report failed: " + process.readAllStandardError().toStdString()).c_str());
            break;
        }
        commandTimes.push_back(taken);
        state.SetIterationTime(taken);

        timer.restart();
        for (const QString &statement : all)
            connection->Execute(statement);
        allUploadTimes.push_back(seconds(timer));
    }
    if (commandTimes.empty())
        return;
    const double command = median(commandTimes);
    const double uploads = median(uploadTimes);
    state.counters["command_median_s"] = command;
    state.counters["uploads_median_s"] = uploads;
    state.counters["seventeen_uploads_median_s"] = median(allUploadTimes);
    state.counters["uploads_sent"] = double(listed.size());
    state.counters["added_pct"] = (command - uploads) * 100 / uploads;
}

} // namespace

BENCHMARK(generateAllForAYear)
    ->Name("ReportTool/generate_all/scale10/year")
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(7);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
