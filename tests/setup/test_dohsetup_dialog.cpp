#include "setup/frmDOHSetup.h"

#include "ScriptedCodeSearch.h"

#include "adodb/Recordset.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"
#include "forms/MsgBox.h"
#include "forms/Twips.h"
#include "startup/modSysConstants.h"
#include "support/ScriptedMessageBox.h"
#include "support/StatementLog.h"
#include "support/TempStore.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using forms::vbCancel;
using forms::vbNo;
using forms::vbYes;
using testing_support::ScopedMessageBox;
using testing_support::SentExactly;

namespace {

const QString kLoad = QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportSetup");
const QString kSaveQuestion = QStringLiteral("Do you want to save changes?");
const QString kInsist = QStringLiteral("You really need to save the setup for this program to run properly.\r\n"
                                       "Do you want to save changes?");

QString lookup(const QString &quotedCode)
{
    return QStringLiteral("BUILD_FILE..sp_Bui_Common_Load_tbCoService ") + quotedCode;
}

struct StoredSetup
{
    bool exists = false;
    QString age, newborn, surgery;
};

// A backend that answers the setup search with one given row and passes
// every other statement to the store: the store's own table cannot hold nulls.
class SetupRowBackend : public adodb::Backend
{
public:
    SetupRowBackend(const QString &folder, QList<com::Variant> row)
        : m_store(folder)
        , m_row(std::move(row))
    {}
    adodb::ResultSet run(const QString &text) override
    {
        if (text != kLoad)
            return m_store.run(text);
        adodb::ResultSet result;
        result.columns = {QStringLiteral("PediaAge"), QStringLiteral("NewbornCode"), QStringLiteral("SurgeryCode")};
        result.rows.append(m_row);
        return result;
    }
    QString sourceName() const override { return m_store.sourceName(); }

private:
    embedded::EmbeddedBackend m_store;
    QList<com::Variant> m_row;
};

class DOHSetupDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previousSearch = modSysConstants::pobjCodeSearch;
        modSysConstants::pobjCodeSearch = search;
    }
    void TearDown() override
    {
        if (dlg.isVisible())
            dlg.reject();
        modSysConstants::pobjCodeSearch = m_previousSearch;
    }

    // Stores a setup record as an earlier save would have.
    void storeSetup(const QString &age, const QString &newborn, const QString &surgery)
    {
        embedded::sql::exec(store.store().database(),
                            QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportSetup "
                                           "(SetupID, PediaAge, NewbornCode, SurgeryCode, UpdatedDate) "
                                           "VALUES (1, ?, ?, ?, '2026-01-01 00:00:00.000')"),
                            {age, newborn, surgery});
    }
    void addService(const QString &code, const QString &service)
    {
        embedded::sql::exec(store.store().database(),
                            QStringLiteral("INSERT INTO BUILD_FILE.tbCoService (ServiceCode, Service) VALUES (?, ?)"),
                            {code, service});
    }
    StoredSetup storedSetup()
    {
        StoredSetup s;
        QSqlQuery q = embedded::sql::exec(
            store.store().database(),
            QStringLiteral("SELECT PediaAge, NewbornCode, SurgeryCode FROM Patient_Data.tbMedNewDOHReportSetup"));
        if (q.next()) {
            s.exists = true;
            s.age = q.value(0).toString();
            s.newborn = q.value(1).toString();
            s.surgery = q.value(2).toString();
        }
        return s;
    }

    // Opens the dialog as its openers do and runs `interaction` once it is up.
    // A dialog the interaction leaves open fails the test and is closed.
    void open(const std::function<void()> &interaction)
    {
        dlg.InitializeForm(conn);
        bool ran = false;
        QTimer::singleShot(0, &dlg, [&] {
            ran = true;
            interaction();
        });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [this] {
            ADD_FAILURE() << "the dialog was left open";
            dlg.reject();
        });
        guard.start(10000);
        dlg.LoadForm();
        EXPECT_TRUE(ran);
        EXPECT_FALSE(dlg.isVisible());
    }

    // Loads the dialog's controls without showing it.
    void loadDirect()
    {
        dlg.InitializeForm(conn);
        dlg.LoadSetup();
        conn->statementLog().clear();
    }

    static void leaveFocus(QLineEdit *box)
    {
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &leave);
    }

    testing_support::TempStore store;
    adodb::ConnectionPtr conn = store.connect();
    ScopedMessageBox box;
    std::shared_ptr<ScriptedCodeSearch> search = std::make_shared<ScriptedCodeSearch>();
    frmDOHSetup &dlg = frmDOHSetup::instance();

private:
    std::shared_ptr<codesearch::CodeSearch> m_previousSearch;
};

TEST_F(DOHSetupDialog, IsOneObjectForTheRun)
{
    EXPECT_EQ(&frmDOHSetup::instance(), &dlg);
}

TEST_F(DOHSetupDialog, FirstTimeLoadShowsTheDefaultsAndInsistsOnSaving)
{
    box->answer(vbNo);
    box->answer(vbNo);
    open([&] {
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("DOH Setup (First-Time Load)"));
        EXPECT_EQ(dlg.txtPediaAge->text(), QStringLiteral("13"));
        EXPECT_EQ(dlg.txtNewBornCode->text(), QStringLiteral("13"));
        EXPECT_EQ(dlg.txtSurgeryCode->text(), QStringLiteral("23"));
        EXPECT_EQ(dlg.txtNewbornDesc->text(), QStringLiteral("Newborn"));
        EXPECT_EQ(dlg.txtSurgeryDesc->text(), QStringLiteral("Surgery"));
        EXPECT_TRUE(dlg.isFirstTime());
        EXPECT_TRUE(dlg.isChanged());
        QTest::mouseClick(dlg.cmdCancel, Qt::LeftButton);
    });

    ASSERT_EQ(box->shown().size(), 2);
    EXPECT_EQ(box->shown()[0].prompt, kSaveQuestion);
    EXPECT_EQ(box->shown()[0].title, QStringLiteral("Verification"));
    EXPECT_EQ(box->shown()[0].style, forms::vbYesNoCancel);
    EXPECT_EQ(box->shown()[1].prompt, kInsist);
    EXPECT_EQ(box->shown()[1].title, QStringLiteral("Verification"));
    EXPECT_EQ(box->shown()[1].style, forms::vbYesNo);
    EXPECT_TRUE(SentExactly(conn, {kLoad, lookup(QStringLiteral("'13'")), lookup(QStringLiteral("'23'"))}));
    EXPECT_FALSE(storedSetup().exists);
    EXPECT_EQ(dlg.connection(), nullptr);
}

TEST_F(DOHSetupDialog, FirstTimeYesAtTheSecondQuestionSavesTheDefaults)
{
    box->answer(vbNo);
    box->answer(vbYes);
    open([&] { dlg.cmdCancel->click(); });

    EXPECT_EQ(box->prompts(), (QStringList{kSaveQuestion, kInsist, QStringLiteral("Setting was updated.")}));
    EXPECT_EQ(box->shown()[2].title, QStringLiteral("Notification"));
    EXPECT_EQ(box->shown()[2].style, forms::vbOKOnly);
    EXPECT_TRUE(SentExactly(conn, {kLoad, lookup(QStringLiteral("'13'")), lookup(QStringLiteral("'23'")),
                                   lookup(QStringLiteral("'13'")), lookup(QStringLiteral("'23'")),
                                   QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'13','23'")}));
    const StoredSetup s = storedSetup();
    EXPECT_TRUE(s.exists);
    EXPECT_EQ(s.age, QStringLiteral("13"));
    EXPECT_EQ(s.newborn, QStringLiteral("13"));
    EXPECT_EQ(s.surgery, QStringLiteral("23"));
}

TEST_F(DOHSetupDialog, WithARecordAndNoEditsCancelClosesAtOnce)
{
    storeSetup(QStringLiteral("12"), QStringLiteral("15"), QStringLiteral("24"));
    open([&] {
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("DOH Setup"));
        EXPECT_EQ(dlg.txtPediaAge->text(), QStringLiteral("12"));
        EXPECT_EQ(dlg.txtNewBornCode->text(), QStringLiteral("15"));
        EXPECT_EQ(dlg.txtSurgeryCode->text(), QStringLiteral("24"));
        EXPECT_EQ(dlg.txtNewbornDesc->text(), QStringLiteral("Pedia - Newborn Pathologic"));
        EXPECT_EQ(dlg.txtSurgeryDesc->text(), QStringLiteral("Orthopedics"));
        EXPECT_FALSE(dlg.isChanged());
        EXPECT_FALSE(dlg.isFirstTime());
        dlg.cmdCancel->click();
    });
    EXPECT_TRUE(box->shown().isEmpty());
}

TEST_F(DOHSetupDialog, ALoadThatFindsTheRecordEndsFirstTimeMode)
{
    loadDirect(); // no record yet
    ASSERT_TRUE(dlg.isFirstTime());
    storeSetup(QStringLiteral("13"), QStringLiteral("13"), QStringLiteral("23"));

    box->answer(vbNo);
    open([&] {
        EXPECT_FALSE(dlg.isFirstTime());
        dlg.txtPediaAge->setText(QStringLiteral("14"));
        EXPECT_TRUE(dlg.isChanged());
        dlg.cmdCancel->click();
    });
    EXPECT_EQ(box->prompts(), QStringList{kSaveQuestion});
    EXPECT_EQ(storedSetup().age, QStringLiteral("13"));
}

TEST_F(DOHSetupDialog, CancelAtTheQuestionKeepsEditingAndTheCloseBoxAsksNothing)
{
    storeSetup(QStringLiteral("13"), QStringLiteral("13"), QStringLiteral("23"));
    box->answer(vbCancel);
    open([&] {
        QTest::keyClicks(dlg.txtPediaAge, QStringLiteral("5"));
        const QString typed = dlg.txtPediaAge->text();
        dlg.cmdCancel->click();
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(dlg.txtPediaAge->text(), typed);
        EXPECT_EQ(dlg.txtNewBornCode->text(), QStringLiteral("13"));
        dlg.close();
    });
    EXPECT_EQ(box->prompts(), QStringList{kSaveQuestion});
    EXPECT_EQ(storedSetup().age, QStringLiteral("13"));
    EXPECT_EQ(dlg.connection(), nullptr);
}

TEST_F(DOHSetupDialog, YesAtTheQuestionSavesTheEdits)
{
    storeSetup(QStringLiteral("13"), QStringLiteral("13"), QStringLiteral("23"));
    box->answer(vbYes);
    open([&] {
        dlg.txtPediaAge->setText(QStringLiteral(" 18 "));
        dlg.cmdCancel->click();
    });
    EXPECT_EQ(box->prompts(), (QStringList{kSaveQuestion, QStringLiteral("Setting was updated.")}));
    EXPECT_EQ(conn->statementLog().statements().constLast(),
              QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 18,'13','23'"));
    EXPECT_EQ(storedSetup().age, QStringLiteral("18"));
}

TEST_F(DOHSetupDialog, EveryMistakeInOneMessageInOrder)
{
    loadDirect();
    dlg.txtPediaAge->setText(QStringLiteral("abc"));
    dlg.txtNewBornCode->setText(QString());
    dlg.txtSurgeryCode->setText(QStringLiteral("   "));
    conn->statementLog().clear();

    dlg.SaveSetup();

    ASSERT_EQ(box->shown().size(), 1);
    EXPECT_EQ(box->shown()[0].prompt, QStringLiteral("Pedia Age should be numeric.\r\n"
                                                     "Newborn code is required.\r\n"
                                                     "Surgery code is required."));
    EXPECT_EQ(box->shown()[0].title, QStringLiteral("Notification"));
    EXPECT_EQ(box->shown()[0].style, forms::vbOKOnly);
    // Empty codes are not looked up, and nothing is saved.
    EXPECT_TRUE(SentExactly(conn, {}));
    EXPECT_EQ(dlg.txtPediaAge->text(), QStringLiteral("abc"));
    EXPECT_NE(dlg.connection(), nullptr);
}

struct ValidationCase
{
    const char16_t *age, *newborn, *surgery;
    const char16_t *message; // nullptr: valid
};

class DOHSetupValidation : public DOHSetupDialog, public ::testing::WithParamInterface<ValidationCase>
{
};

TEST_P(DOHSetupValidation, ReportsWhatIsWrong)
{
    const ValidationCase &c = GetParam();
    loadDirect();
    dlg.txtPediaAge->setText(QString::fromUtf16(c.age));
    dlg.txtNewBornCode->setText(QString::fromUtf16(c.newborn));
    dlg.txtSurgeryCode->setText(QString::fromUtf16(c.surgery));
    const bool valid = dlg.ValidateSetup();
    if (c.message == nullptr) {
        EXPECT_TRUE(valid);
        EXPECT_TRUE(box->shown().isEmpty());
    } else {
        EXPECT_FALSE(valid);
        EXPECT_EQ(box->prompts(), QStringList{QString::fromUtf16(c.message)});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, DOHSetupValidation,
    ::testing::Values(ValidationCase{u"13", u"13", u"23", nullptr}, ValidationCase{u" 13 ", u"13 ", u"23", nullptr},
                      ValidationCase{u"1,000", u"13", u"23", nullptr}, ValidationCase{u"13.", u"13", u"23", nullptr},
                      ValidationCase{u"", u"13", u"23", u"Pedia Age should be numeric."},
                      ValidationCase{u"1e400", u"13", u"23", u"Pedia Age should be numeric."},
                      ValidationCase{u"13.50", u"13", u"23", u"Pedia Age should be a whole number of years."},
                      ValidationCase{u"1e-1", u"", u"23",
                                     u"Pedia Age should be a whole number of years.\r\nNewborn code is required."},
                      ValidationCase{u"13", u"99", u"23", u"Newborn code is invalid."},
                      ValidationCase{u"13", u"13", u"", u"Surgery code is required."},
                      // SQL Server ignores trailing blanks only.
                      ValidationCase{u"13", u" 13", u"23", u"Newborn code is invalid."},
                      ValidationCase{u"x", u"98", u"99",
                                     u"Pedia Age should be numeric.\r\nNewborn code is invalid.\r\n"
                                     u"Surgery code is invalid."}));

TEST_F(DOHSetupDialog, AgeIsSentAsItsPlainNumber)
{
    loadDirect();
    dlg.txtPediaAge->setText(QStringLiteral("1.2e1"));
    dlg.SaveSetup();
    EXPECT_EQ(conn->statementLog().statements().constLast(),
              QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 12,'13','23'"));
    EXPECT_EQ(storedSetup().age, QStringLiteral("12"));
}

TEST_F(DOHSetupDialog, ACodeWithBlanksAroundItIsLookedUpAndSavedWithItsBlanks)
{
    addService(QStringLiteral(" 50"), QStringLiteral("Neonatal ICU"));
    loadDirect();
    dlg.txtNewBornCode->setText(QStringLiteral(" 50 "));
    leaveFocus(dlg.txtNewBornCode);
    EXPECT_EQ(dlg.txtNewbornDesc->text(), QStringLiteral("Neonatal ICU"));

    dlg.SaveSetup();
    EXPECT_TRUE(SentExactly(conn, {lookup(QStringLiteral("' 50 '")), lookup(QStringLiteral("' 50 '")),
                                   lookup(QStringLiteral("'23'")),
                                   QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,' 50 ','23'")}));
    EXPECT_EQ(storedSetup().newborn, QStringLiteral(" 50 "));
}

TEST_F(DOHSetupDialog, AQuoteInACodeIsSavedAndLookedUpIntact)
{
    addService(QStringLiteral("O'B"), QStringLiteral("Obstetric O'Brien ward"));
    loadDirect();
    dlg.txtSurgeryCode->setText(QStringLiteral("O'B"));
    leaveFocus(dlg.txtSurgeryCode);
    EXPECT_EQ(dlg.txtSurgeryDesc->text(), QStringLiteral("Obstetric O'Brien ward"));
    dlg.SaveSetup();
    EXPECT_EQ(box->prompts(), QStringList{QStringLiteral("Setting was updated.")});
    EXPECT_EQ(conn->statementLog().statements().constLast(),
              QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'13','O''B'"));
    EXPECT_EQ(storedSetup().surgery, QStringLiteral("O'B"));

    // And it comes back on the next open.
    open([&] {
        EXPECT_EQ(dlg.txtSurgeryCode->text(), QStringLiteral("O'B"));
        EXPECT_EQ(dlg.txtSurgeryDesc->text(), QStringLiteral("Obstetric O'Brien ward"));
        dlg.cmdCancel->click();
    });
    EXPECT_EQ(conn->statementLog().statements().constLast(), lookup(QStringLiteral("'O''B'")));
}

TEST_F(DOHSetupDialog, PickedServiceFillsTheCodeAndItsDescription)
{
    storeSetup(QStringLiteral("13"), QStringLiteral("13"), QStringLiteral("23"));
    loadDirect();
    ASSERT_FALSE(dlg.isChanged());
    search->pick(com::Variant(QStringLiteral("15")), com::Variant(QStringLiteral("Pedia - Newborn Pathologic")));
    dlg.cmdNewbornCode->click();

    ASSERT_EQ(search->calls().size(), 1);
    EXPECT_EQ(search->calls()[0].listing, 9);
    EXPECT_EQ(search->calls()[0].filter, QString());
    EXPECT_EQ(dlg.txtNewBornCode->text(), QStringLiteral("15"));
    EXPECT_EQ(dlg.txtNewbornDesc->text(), QStringLiteral("Pedia - Newborn Pathologic"));
    EXPECT_TRUE(dlg.isChanged());
    EXPECT_EQ(dlg.txtSurgeryCode->text(), QStringLiteral("23"));
}

TEST_F(DOHSetupDialog, ADismissedSearchChangesNothing)
{
    storeSetup(QStringLiteral("13"), QStringLiteral("13"), QStringLiteral("23"));
    loadDirect();
    search->dismiss(com::Variant(false));
    search->dismiss(com::Variant()); // a Null answer counts as no pick
    dlg.cmdSurgeryCode->click();
    dlg.cmdNewbornCode->click();

    EXPECT_EQ(search->calls().size(), 2);
    EXPECT_EQ(dlg.txtSurgeryCode->text(), QStringLiteral("23"));
    EXPECT_EQ(dlg.txtSurgeryDesc->text(), QStringLiteral("Surgery"));
    EXPECT_EQ(dlg.txtNewBornCode->text(), QStringLiteral("13"));
    EXPECT_EQ(dlg.txtNewbornDesc->text(), QStringLiteral("Newborn"));
    EXPECT_FALSE(dlg.isChanged());
    EXPECT_TRUE(box->shown().isEmpty());
    EXPECT_TRUE(SentExactly(conn, {}));
}

TEST_F(DOHSetupDialog, CodesThatLeftTheServiceTableShowUndefinedAndFailValidation)
{
    storeSetup(QStringLiteral("13"), QStringLiteral("77"), QStringLiteral("88"));
    open([&] {
        EXPECT_EQ(dlg.txtNewbornDesc->text(), QStringLiteral("<undefined>"));
        EXPECT_EQ(dlg.txtSurgeryDesc->text(), QStringLiteral("<undefined>"));
        dlg.cmdSave->click();
        EXPECT_TRUE(dlg.isVisible());
        dlg.cmdCancel->click(); // unchanged: closes at once
    });
    EXPECT_EQ(box->prompts(), QStringList{QStringLiteral("Newborn code is invalid.\r\nSurgery code is invalid.")});
    EXPECT_FALSE(conn->statementLog().statements().join(u'\n').contains(QStringLiteral("sp_DOH_Save")));
}

TEST_F(DOHSetupDialog, FocusLeavingACodeBoxRefreshesItsDescription)
{
    loadDirect();
    dlg.txtNewBornCode->setText(QStringLiteral("99"));
    leaveFocus(dlg.txtNewBornCode);
    EXPECT_EQ(dlg.txtNewbornDesc->text(), QStringLiteral("<undefined>"));

    dlg.txtSurgeryCode->setText(QStringLiteral("  "));
    leaveFocus(dlg.txtSurgeryCode);
    EXPECT_EQ(dlg.txtSurgeryDesc->text(), QString());
    // The empty code made no call; the age box refreshes nothing.
    leaveFocus(dlg.txtPediaAge);
    EXPECT_TRUE(SentExactly(conn, {lookup(QStringLiteral("'99'"))}));
    EXPECT_TRUE(box->shown().isEmpty());
}

TEST_F(DOHSetupDialog, RealFocusMovesSelectAndRefresh)
{
    storeSetup(QStringLiteral("13"), QStringLiteral("13"), QStringLiteral("23"));
    open([&] {
        dlg.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
        dlg.txtNewBornCode->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(dlg.txtNewBornCode->selectedText(), QStringLiteral("13"));
        dlg.txtNewBornCode->setText(QStringLiteral("12"));
        conn->statementLog().clear();
        dlg.txtSurgeryCode->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(dlg.txtNewbornDesc->text(), QStringLiteral("Gynecology"));
        EXPECT_EQ(dlg.txtSurgeryCode->selectedText(), QStringLiteral("23"));
        EXPECT_TRUE(SentExactly(conn, {lookup(QStringLiteral("'12'"))}));
        dlg.close();
    });
    EXPECT_TRUE(box->shown().isEmpty());
}

TEST_F(DOHSetupDialog, NullColumnsLoadAsEmptyBoxes)
{
    conn = std::make_shared<adodb::Connection>(std::make_unique<SetupRowBackend>(
        store.folder(), QList<com::Variant>{com::Variant(), com::Variant(), com::Variant(QStringLiteral("23"))}));
    open([&] {
        EXPECT_EQ(dlg.txtPediaAge->text(), QString());
        EXPECT_EQ(dlg.txtNewBornCode->text(), QString());
        EXPECT_EQ(dlg.txtNewbornDesc->text(), QString());
        EXPECT_EQ(dlg.txtSurgeryDesc->text(), QStringLiteral("Surgery"));
        EXPECT_FALSE(dlg.isChanged());
        dlg.cmdCancel->click();
    });
    EXPECT_TRUE(box->shown().isEmpty());
    EXPECT_TRUE(SentExactly(conn, {kLoad, lookup(QStringLiteral("'23'"))}));
}

TEST_F(DOHSetupDialog, AFailingSaveIsReportedAndTheDialogStaysOpen)
{
    storeSetup(QStringLiteral("13"), QStringLiteral("13"), QStringLiteral("23"));
    conn->setInterceptor([](const QString &text) {
        if (text.contains(QStringLiteral("sp_DOH_Save")))
            throw adodb::BackendError(QStringLiteral("The server is not reachable."));
    });
    open([&] {
        dlg.txtPediaAge->setText(QStringLiteral("14"));
        dlg.cmdSave->click();
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(dlg.txtPediaAge->text(), QStringLiteral("14"));
        EXPECT_NE(dlg.connection(), nullptr);
        dlg.close();
    });
    EXPECT_EQ(box->prompts(), QStringList{QStringLiteral("The server is not reachable.")});
    EXPECT_EQ(storedSetup().age, QStringLiteral("13"));
}

// An age with a fraction never reaches the database: the dialog says what
// is wrong and puts the user back in the age box.
TEST_F(DOHSetupDialog, AnAgeWithAFractionIsRefusedBeforeAnythingIsSent)
{
    storeSetup(QStringLiteral("13"), QStringLiteral("13"), QStringLiteral("23"));
    open([&] {
        dlg.txtPediaAge->setText(QStringLiteral("13.5"));
        dlg.txtSurgeryCode->setFocus();
        ASSERT_EQ(dlg.focusWidget(), dlg.txtSurgeryCode);
        conn->statementLog().clear();
        dlg.cmdSave->click();
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(dlg.focusWidget(), dlg.txtPediaAge);
        EXPECT_EQ(conn->statementLog().statements().filter(QStringLiteral("sp_DOH_Save")), QStringList());
        dlg.close();
    });
    EXPECT_EQ(box->prompts(), QStringList{QStringLiteral("Pedia Age should be a whole number of years.")});
    EXPECT_EQ(box->shown()[0].title, QStringLiteral("Notification"));
    EXPECT_EQ(storedSetup().age, QStringLiteral("13"));
}

TEST_F(DOHSetupDialog, AFailingLoadIsReported)
{
    conn->setInterceptor([](const QString &text) {
        if (text == kLoad)
            throw adodb::BackendError(QStringLiteral("Could not find stored procedure 'x'."));
    });
    open([&] {
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("DOH Setup"));
        EXPECT_EQ(dlg.txtPediaAge->text(), QString());
        dlg.close();
    });
    EXPECT_EQ(box->prompts(), QStringList{QStringLiteral("Could not find stored procedure 'x'.")});
}

TEST_F(DOHSetupDialog, LayoutAndTabOrder)
{
    loadDirect();
    EXPECT_EQ(dlg.size(), QSize(forms::TwipsToPixels(7035), forms::TwipsToPixels(1995)));
    struct Placed
    {
        QWidget *control;
        QRect twips;
    };
    const QList<Placed> placed = {
        {dlg.txtPediaAge, {1530, 150, 885, 315}},    {dlg.txtNewBornCode, {1530, 510, 885, 315}},
        {dlg.cmdNewbornCode, {2460, 510, 435, 345}}, {dlg.txtSurgeryCode, {1530, 870, 885, 315}},
        {dlg.cmdSurgeryCode, {2460, 870, 435, 345}}, {dlg.cmdSave, {4290, 1500, 1215, 405}},
        {dlg.cmdCancel, {5550, 1500, 1215, 405}},    {dlg.txtNewbornDesc, {2910, 510, 3825, 315}},
        {dlg.txtSurgeryDesc, {2910, 870, 3825, 315}}};
    for (const Placed &p : placed)
        EXPECT_EQ(p.control->geometry(), forms::TwipsRect(p.twips.x(), p.twips.y(), p.twips.width(), p.twips.height()))
            << p.control->objectName().toStdString();
    // Labels and the line sit in the chain too but never take the focus.
    auto nextTabStop = [](QWidget *w) {
        do
            w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus);
        return w;
    };
    for (qsizetype i = 1; i < placed.size(); ++i)
        EXPECT_EQ(nextTabStop(placed[i - 1].control), placed[i].control)
            << placed[i - 1].control->objectName().toStdString();

    EXPECT_EQ(dlg.cmdSave->text(), QStringLiteral("&Save"));
    EXPECT_EQ(dlg.cmdCancel->text(), QStringLiteral("&Cancel"));
    EXPECT_TRUE(dlg.cmdNewbornCode->font().bold());
    EXPECT_TRUE(dlg.txtNewbornDesc->isReadOnly());
    EXPECT_TRUE(dlg.txtSurgeryDesc->isReadOnly());
    EXPECT_FALSE(dlg.txtNewBornCode->isReadOnly());
    ASSERT_NE(dlg.linSeparator, nullptr);
    EXPECT_EQ(dlg.linSeparator->frameShape(), QFrame::HLine);
    EXPECT_EQ(dlg.linSeparator->geometry().left(), forms::TwipsToPixels(60));
    EXPECT_EQ(dlg.linSeparator->geometry().right() + 1, forms::TwipsToPixels(6810));
}

} // namespace
