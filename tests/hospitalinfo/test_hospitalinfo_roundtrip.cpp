// The whole road on the demo hospital: load, edit every editable control,
// save, reopen, and the year's "I. Hospital General Information" report.
#include "HospitalInfoFixture.h"

#include "com/Runtime.h"
#include "embedded/DemoHospital.h"
#include "reportengine/ReportEngine.h"
#include "reporting/modCrystal.h"
#include "session/CurrentUser.h"
#include "startup/modSysConstants.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cmath>

using hospitalinfo_tests::HospitalInfoFixture;

namespace {

// The session as the report tables log on with it: the store's folder.
class StoreUser : public session::CurrentUser
{
public:
    explicit StoreUser(QString folder)
        : m_folder(std::move(folder))
    {}
    adodb::ConnectionPtr sqlconnection() override { return nullptr; }
    void setPasswordDeptCode(const QString &) override {}
    QString PasswordDeptCode() const override { return QString(); }
    void ShowMain() override {}
    com::Variant Connected() const override { return true; }
    QString ServerName() const override { return m_folder; }
    QString UserID() const override { return QStringLiteral("demo"); }
    QString ServerPassword() const override { return QString(); }

private:
    QString m_folder;
};

// Key presses of a text, letters beyond ASCII included.
void TypeKeys(QWidget *target, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(target, char(c.unicode()));
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
    }
}

// Types a text into a box as the user does: select everything, type over it.
void TypeOver(QWidget *box, const QString &text)
{
    QLineEdit *edit = qobject_cast<QLineEdit *>(box);
    if (auto *combo = qobject_cast<QComboBox *>(box))
        edit = combo->lineEdit();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    TypeKeys(edit, text);
}

void Click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(7, button->height() / 2));
}

class HospitalInfoRoundTrip : public HospitalInfoFixture
{
protected:
    void SetUp() override
    {
        embedded::DemoHospital::Options options;
        options.referenceDate = QDate(2026, 2, 1);
        options.fullYears = 0;
        embedded::DemoHospital::fill(store.store(), options);
        conn = store.connect();
    }
    void TearDown() override
    {
        modCrystal::pobjReport.reset();
        modSysConstants::pobjCurrentUser.reset();
        HospitalInfoFixture::TearDown();
    }
};

// What the user types into every editable text box and combo.
struct Typed
{
    QLineEdit *frmHospitalInfo::*box;
    QString text;
};

const QList<Typed> &TypedTexts()
{
    static const QList<Typed> typed = {
        {&frmHospitalInfo::txtFacilityName, QStringLiteral("Ospital ng Santa Niña")},
        {&frmHospitalInfo::txtStreetAddress, QStringLiteral("45 Burgos St.")},
        {&frmHospitalInfo::txtMunicipality, QStringLiteral("Cabanatuan City")},
        {&frmHospitalInfo::txtProvince, QStringLiteral("Nueva Écija")},
        {&frmHospitalInfo::txtRegion, QStringLiteral("Region III (Central Luzon)")},
        {&frmHospitalInfo::txtEmailAddress, QStringLiteral("his@ospital-santanina.ph")},
        {&frmHospitalInfo::txtContactNo, QStringLiteral("(044) 600-0001")},
        {&frmHospitalInfo::txtFaxNo, QStringLiteral("(044) 600-0002")},
        {&frmHospitalInfo::txtSpecialSpecify, QStringLiteral("Children's heart")},
        {&frmHospitalInfo::txtGovOthers, QStringLiteral("PNP -- Camp Olivas")},
        {&frmHospitalInfo::txtPrivateOthers, QStringLiteral("Cooperative")},
        {&frmHospitalInfo::txtAuthorizedBed, QStringLiteral("1250")},
        {&frmHospitalInfo::txtActualBed, QStringLiteral("1300")},
        {&frmHospitalInfo::txtAdditionalBed, QStringLiteral("50")},
        {&frmHospitalInfo::txtISOCertified, QStringLiteral("June 1, 2026 - May 31, 2029")},
        {&frmHospitalInfo::txtIntlAccreditation, QStringLiteral("2026 - 2028 (JCI)")},
        {&frmHospitalInfo::txtPhicAccreditation, QStringLiteral("January 1 - December 31, 2027")},
        {&frmHospitalInfo::txtQMPCAHO, QStringLiteral("2027")},
    };
    return typed;
}

const QString kLocal = QStringLiteral("Barangay");
const QString kPhilHealth = QStringLiteral("Advance Participation");

TEST_F(HospitalInfoRoundTrip, EveryEditedControlComesBackAndTheReportShowsIt)
{
    Open([&] {
        // The demo hospital as stored.
        EXPECT_EQ(form.txtFacilityName->text(), QStringLiteral("Santa Niña General Hospital"));
        EXPECT_EQ(form.txtAuthorizedBed->text(), QStringLiteral("100"));
        EXPECT_EQ(form.txtActualBed->text(), QStringLiteral("109"));
        EXPECT_TRUE(form.chkAcuteChronic->isChecked());
        EXPECT_TRUE(form.chkSecondLevel->isChecked());
        EXPECT_TRUE(form.optLocal->isChecked());
        EXPECT_EQ(form.cmbLocal->currentText(), QStringLiteral("Provincial"));
        EXPECT_TRUE(form.optTraumaReceiving->isChecked());
        EXPECT_TRUE(form.chkISOCertified->isChecked());
        EXPECT_TRUE(form.chkCertifiedISO->isChecked());
        EXPECT_EQ(form.cmbPhilAccreditation->currentText(), QStringLiteral("Level 2 hospital"));

        for (const Typed &t : TypedTexts())
            TypeOver(form.*t.box, t.text);
        TypeOver(form.cmbLocal, kLocal);
        form.cmbPhilAccreditation->setCurrentIndex(1);
        Click(form.chkFirstLevel);
        Click(form.chkSecondLevel);
        Click(form.chkThirdLevel);
        Click(form.optParticularOrgan);
        Click(form.optTraumaCapable);
        Click(form.optGovOthers);
        Click(form.chkISOCertified);
        Click(form.chkIntlAccreditation);
        Click(form.chkPhicAccreditation);
        Click(form.chkQMPCAHO);
        Click(form.cmdSave);
    });
    ASSERT_EQ(box->prompts(), QStringList{frmHospitalInfo::kSavedMessage});

    conn = store.connect();
    Open([&] {
        for (const Typed &t : TypedTexts())
            EXPECT_EQ((form.*t.box)->text(), t.text) << (form.*t.box)->objectName().toStdString();
        EXPECT_EQ(form.cmbLocal->currentText(), kLocal);
        EXPECT_EQ(form.cmbPhilAccreditation->currentText(), kPhilHealth);
        EXPECT_TRUE(form.chkFirstLevel->isChecked());
        EXPECT_FALSE(form.chkSecondLevel->isChecked());
        EXPECT_TRUE(form.chkThirdLevel->isChecked());
        EXPECT_TRUE(form.chkAcuteChronic->isChecked()); // fixed, saved back as loaded
        EXPECT_TRUE(form.optParticularOrgan->isChecked());
        EXPECT_TRUE(form.optTraumaCapable->isChecked());
        EXPECT_TRUE(form.optGovOthers->isChecked());
        EXPECT_FALSE(form.chkISOCertified->isChecked());
        EXPECT_TRUE(form.chkIntlAccreditation->isChecked());
        EXPECT_FALSE(form.chkPhicAccreditation->isChecked());
        EXPECT_TRUE(form.chkQMPCAHO->isChecked());
        // The hidden items kept what they had.
        EXPECT_TRUE(form.chkCertifiedISO->isChecked());
        EXPECT_EQ(form.txtCertifiedISO->text(), QStringLiteral("ISO 9001:2015 Quality Management System"));
        form.cmdCancel->click();
    });

    // The year's general information report reads what the form saved.
    modSysConstants::pobjCurrentUser = std::make_shared<StoreUser>(store.folder());
    modSysConstants::pstrHospitalName = QStringLiteral("Header of the report");
    modCrystal::OpenReportFile(com::App::Path() + QStringLiteral("/rptNewDOHHospitalGeneralInformation.rpt"),
                               {QStringLiteral("2026")});
    const reportengine::Document &doc = modCrystal::pobjReport->document();
    QList<reportengine::DisplayItem> items;
    for (const reportengine::DisplayPage &page : doc.pages)
        items += page.items;
    auto shows = [&](const QString &text) {
        return std::any_of(items.begin(), items.end(), [&](const auto &item) { return item.text == text; });
    };
    // A box ticked beside its caption: an "X" right before the caption, on its line.
    auto ticked = [&](const QString &caption) {
        for (const auto &label : items) {
            if (label.text != caption)
                continue;
            for (const auto &mark : items) {
                if (mark.text == QLatin1String("X") && std::abs(mark.rect.center().y() - label.rect.center().y()) < 2 &&
                    label.rect.left() - mark.rect.right() >= 0 && label.rect.left() - mark.rect.right() < 8)
                    return true;
            }
        }
        return false;
    };
    for (const Typed &t : TypedTexts()) {
        if (t.box == &frmHospitalInfo::txtAuthorizedBed || t.box == &frmHospitalInfo::txtActualBed ||
            t.box == &frmHospitalInfo::txtAdditionalBed)
            continue;
        EXPECT_TRUE(shows(t.text)) << t.text.toStdString();
    }
    EXPECT_TRUE(shows(QStringLiteral("1,250")));
    EXPECT_TRUE(shows(QStringLiteral("1,300")));
    EXPECT_TRUE(shows(QStringLiteral("50")));
    EXPECT_TRUE(shows(kLocal));
    EXPECT_TRUE(shows(kPhilHealth));
    EXPECT_TRUE(ticked(QStringLiteral("First level")));
    EXPECT_FALSE(ticked(QStringLiteral("Second level")));
    EXPECT_TRUE(ticked(QStringLiteral("Third level")));
    EXPECT_TRUE(ticked(QStringLiteral("Acute-chronic")));
    EXPECT_TRUE(ticked(QStringLiteral("Treats a particular organ")));
    EXPECT_TRUE(ticked(QStringLiteral("Trauma capable")));
    EXPECT_FALSE(ticked(QStringLiteral("Trauma receiving")));
    EXPECT_FALSE(ticked(QStringLiteral("ISO certified; valid")));
    EXPECT_TRUE(ticked(QStringLiteral("International accreditation; valid")));
    EXPECT_TRUE(ticked(QStringLiteral("PCAHO accreditation; valid")));
    EXPECT_FALSE(ticked(QStringLiteral("Local:")));
}

} // namespace
