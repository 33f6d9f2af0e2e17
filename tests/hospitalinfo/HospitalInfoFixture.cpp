#include "HospitalInfoFixture.h"

#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>

namespace hospitalinfo_tests {

Row &Row::set(const QString &column, const com::Variant &value)
{
    const qsizetype at = columns.indexOf(column);
    if (at < 0) {
        columns.append(column);
        values.append(value);
    } else {
        values[at] = value;
    }
    return *this;
}

Row &Row::remove(const QString &column)
{
    const qsizetype at = columns.indexOf(column);
    if (at >= 0) {
        columns.removeAt(at);
        values.removeAt(at);
    }
    return *this;
}

adodb::ResultSet Row::result() const
{
    adodb::ResultSet r;
    r.columns = columns;
    r.rows.append(values);
    return r;
}

Row SectionIRow()
{
    Row r;
    r.set(QStringLiteral("HealthFacilityName"), QStringLiteral("Santa Niña General Hospital"))
        .set(QStringLiteral("CompleteAddress"), QStringLiteral("123 Rizal Avenue, San José, Nueva Ecija"))
        .set(QStringLiteral("Region"), QStringLiteral("Region III"))
        .set(QStringLiteral("ContactNo"), QStringLiteral("(044) 940-1234"))
        .set(QStringLiteral("FaxNo"), QStringLiteral("(044) 940-1235"))
        .set(QStringLiteral("EmailAddress"), QStringLiteral("records@santanina-gh.ph"));
    for (const char *flag : {"IsBirthingHome", "IsInfirmary", "IsAcuteChronic", "IsCustodialPsychiatric",
                             "IsFirstLevel", "IsSecondLevel", "IsThirdLevel", "IsSpecial"})
        r.set(QString::fromLatin1(flag), QString());
    r.set(QStringLiteral("SpecialSpecify"), QString())
        .set(QStringLiteral("NatureOfOwnership"), 2)
        .set(QStringLiteral("OtherAgencySpecify"), QString())
        .set(QStringLiteral("IsCertifiedISO"), QString())
        .set(QStringLiteral("CertifiedISOSpecify"), QString())
        .set(QStringLiteral("IsPCAHO"), QString())
        .set(QStringLiteral("IsOtherCertifying"), QString())
        .set(QStringLiteral("OtherCertifyingSpecify"), QString())
        .set(QStringLiteral("CertifiedISOValidity"), QString())
        .set(QStringLiteral("PCAHOValidity"), QString())
        .set(QStringLiteral("OtherCertifyingValidity"), QString())
        .set(QStringLiteral("AuthorizedBed"), 100)
        .set(QStringLiteral("ActualBed"), 109)
        .set(QStringLiteral("AdditionalBed"), 9)
        .set(QStringLiteral("StreetAddress"), QStringLiteral("123 Rizal Avenue"))
        .set(QStringLiteral("Municipality"), QStringLiteral("San José"))
        .set(QStringLiteral("Province"), QStringLiteral("Nueva Ecija"));
    return r;
}

Row SupplementaryRow()
{
    Row r;
    r.set(QStringLiteral("Specialty"), 0)
        .set(QStringLiteral("TraumaCapability"), 0)
        .set(QStringLiteral("LocalParticular"), QStringLiteral("Province"))
        .set(QStringLiteral("OwnershipGovOthers"), QString())
        .set(QStringLiteral("OwnershipPrivateOthers"), QString())
        .set(QStringLiteral("QMISOCertified"), false)
        .set(QStringLiteral("QMISOCertifiedValPeriod"), QString())
        .set(QStringLiteral("QMIntlAccreditation"), false)
        .set(QStringLiteral("QMIntlAccreditationValPeriod"), QString())
        .set(QStringLiteral("QMPhicAccreditation"), false)
        .set(QStringLiteral("QMPhicAccreditationValPeriod"), QString())
        .set(QStringLiteral("QMPCAHO"), false)
        .set(QStringLiteral("QMPCAHOValPeriod"), QString())
        .set(QStringLiteral("PhilhealthAccreditationParticular"), QString());
    return r;
}

RowsBackend::RowsBackend(const QString &folder)
    : m_store(std::make_unique<embedded::EmbeddedBackend>(folder))
{}

RowsBackend::~RowsBackend() = default;

adodb::ResultSet RowsBackend::run(const QString &text)
{
    if (text == kSectionIQuery && sectionI)
        return *sectionI;
    if (text == kSupplementaryQuery && supplementary)
        return *supplementary;
    return m_store->run(text);
}

QString RowsBackend::sourceName() const
{
    return m_store->sourceName();
}

void HospitalInfoFixture::SetUp()
{
    // The hospital's Section I record as an earlier save left it.
    Store(QStringLiteral("INSERT INTO Patient_Data.tbDOHSectionI (SectionID, HealthFacilityName, Region, "
                         "IsSecondLevel, IsSpecial, NatureOfOwnership, AuthorizedBed, ActualBed, AdditionalBed, "
                         "Province) VALUES (1, 'Santa Niña General Hospital', 'Region III', 1, 0, 2, 100, 109, 9, "
                         "'Nueva Ecija')"));
    conn = store.connect();
}

void HospitalInfoFixture::TearDown()
{
    if (form.isVisible())
        form.reject();
}

void HospitalInfoFixture::Answer(const std::optional<Row> &sectionI, const std::optional<Row> &supplementary)
{
    auto rows = std::make_unique<RowsBackend>(store.folder());
    if (sectionI)
        rows->sectionI = sectionI->result();
    if (supplementary)
        rows->supplementary = supplementary->result();
    backend = rows.get();
    conn = std::make_shared<adodb::Connection>(std::move(rows));
}

void HospitalInfoFixture::Open(const std::function<void()> &interaction)
{
    form.InitializeForm(conn);
    bool ran = false;
    QTimer::singleShot(0, &form, [&] {
        ran = true;
        interaction();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [this] {
        ADD_FAILURE() << "the form was left open";
        form.reject();
    });
    guard.start(20000);
    form.LoadForm();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(form.isVisible());
}

namespace {
QHash<QString, QVariant> FirstRow(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q = embedded::sql::exec(db, sql);
    QHash<QString, QVariant> row;
    if (q.next()) {
        const QSqlRecord record = q.record();
        for (int i = 0; i < record.count(); ++i)
            row.insert(record.fieldName(i), q.value(i));
    }
    return row;
}
} // namespace

QHash<QString, QVariant> HospitalInfoFixture::StoredSectionI()
{
    return FirstRow(store.store().database(), QStringLiteral("SELECT * FROM Patient_Data.tbDOHSectionI"));
}

QHash<QString, QVariant> HospitalInfoFixture::StoredSupplementary()
{
    return FirstRow(store.store().database(), QStringLiteral("SELECT * FROM PASSWORD.tbHospitalInfo2"));
}

void HospitalInfoFixture::Store(const QString &sql, const QVariantList &values)
{
    embedded::sql::exec(store.store().database(), sql, values);
}

} // namespace hospitalinfo_tests
