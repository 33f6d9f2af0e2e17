#include "ScriptedComponents.h"

#include "startup/modSysConstants.h"

#include "com/CreateObject.h"
#include "embedded/Store.h"
#include "support/ScriptedMessageBox.h"
#include "support/StatementLog.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

using namespace startup_tests;
using testing_support::ScopedMessageBox;
using testing_support::SentExactly;
using testing_support::TempStore;
namespace sys = modSysConstants;

const QString kHospitalRead = QStringLiteral("SELECT COMPANY, ADDRESS1 FROM Patient_Data..tbHospitalInfo");
const QString kSetupRead = QStringLiteral("Select * From Patient_Data..tbDOHSetup");

// Main against a temporary store, with scripted components and a window that
// only records what it was opened with.
class MainTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        connection = store.connect();
        codeSearch = std::make_shared<ScriptedCodeSearch>();
        com::RegisterProgID(codesearch::kProgID, [this] { return codeSearch; });
        sys::setBuildFileWindowOpener([this](const adodb::ConnectionPtr &c) {
            windowConnections.append(c);
            sessionWhileOpen = sys::pobjCurrentUser;
            codeSearchWhileOpen = sys::pobjCodeSearch;
            nameWhileOpen = sys::pstrHospitalName;
            addressWhileOpen = sys::pstrHospitalAddress1;
        });
        sys::pstrHospitalName = QStringLiteral("left over");
        sys::pstrHospitalAddress1 = QStringLiteral("left over");
    }
    void TearDown() override
    {
        sys::setBuildFileWindowOpener({});
        com::UnregisterProgID(session::kProgID);
        com::UnregisterProgID(codesearch::kProgID);
    }

    void useSession(com::Variant connected)
    {
        session = std::make_shared<ScriptedSession>(connection, connected);
        com::RegisterProgID(session::kProgID, [this] { return session; });
    }

    void setHospital(const QVariant &company, const QVariant &address)
    {
        embedded::sql::exec(store.store().database(),
                            QStringLiteral("INSERT INTO Patient_Data.tbHospitalInfo (HospitalID, Company, Address1) "
                                           "VALUES (1, ?, ?)"),
                            {company, address});
    }

    TempStore store;
    adodb::ConnectionPtr connection;
    std::shared_ptr<ScriptedSession> session;
    std::shared_ptr<ScriptedCodeSearch> codeSearch;
    QList<adodb::ConnectionPtr> windowConnections;
    std::shared_ptr<session::CurrentUser> sessionWhileOpen;
    std::shared_ptr<codesearch::CodeSearch> codeSearchWhileOpen;
    QString nameWhileOpen;
    QString addressWhileOpen;
    ScopedMessageBox box;
};

class RefusedSignIn : public MainTest, public ::testing::WithParamInterface<com::Variant>
{
};

TEST_P(RefusedSignIn, SendsNothingOpensNothingAndSaysNothing)
{
    useSession(GetParam());
    sys::Main();
    EXPECT_TRUE(SentExactly(connection, {}));
    EXPECT_TRUE(windowConnections.isEmpty());
    EXPECT_TRUE(box->shown().isEmpty());
    EXPECT_TRUE(codeSearch->calls.isEmpty());
    EXPECT_EQ(sys::pobjCurrentUser, nullptr);
    EXPECT_EQ(sys::pobjCodeSearch, nullptr);
    EXPECT_EQ(sys::plngUploadOption, 2);
}

INSTANTIATE_TEST_SUITE_P(FalseOrNull, RefusedSignIn, ::testing::Values(com::Variant(false), com::Variant()));

TEST_F(MainTest, SignedInReadsTheHospitalPreparesTheSearchAndOpensTheWindow)
{
    setHospital(QStringLiteral("St. Luke's Medical Center"), QStringLiteral("279 E. Rodriguez Sr. Ave."));
    useSession(com::Variant(true));
    sys::plngUploadOption = 0;
    sys::Main();

    EXPECT_EQ(sys::plngUploadOption, 2);
    EXPECT_TRUE(SentExactly(connection, {kHospitalRead, kSetupRead}));
    EXPECT_TRUE(box->shown().isEmpty());
    // Time-out and department are set before the sign-in runs.
    ASSERT_GE(session->calls.size(), 3);
    EXPECT_EQ(session->calls.at(1), QStringLiteral("PasswordDeptCode=D"));
    EXPECT_EQ(session->calls.at(2), QStringLiteral("ShowMain timeout=240"));
    EXPECT_EQ(connection->ConnectionTimeout(), 240);
    EXPECT_EQ(codeSearch->calls, (QStringList{QStringLiteral("SearchMode=True"), QStringLiteral("Initialize_Classes"),
                                              QStringLiteral("Connection")}));
    EXPECT_EQ(codeSearch->connectionGiven, connection);

    ASSERT_EQ(windowConnections.size(), 1);
    EXPECT_EQ(windowConnections.first(), connection);
    EXPECT_EQ(sessionWhileOpen, session);
    EXPECT_EQ(codeSearchWhileOpen, codeSearch);
    EXPECT_EQ(nameWhileOpen, QStringLiteral("St. Luke's Medical Center"));
    EXPECT_EQ(addressWhileOpen, QStringLiteral("279 E. Rodriguez Sr. Ave."));
    EXPECT_TRUE(sys::pstrHospitalAddress2.isEmpty());

    // Once the window closed, the shared objects are released.
    EXPECT_EQ(sys::pobjCurrentUser, nullptr);
    EXPECT_EQ(sys::pobjCodeSearch, nullptr);
}

struct HospitalRow
{
    QVariant company;
    QVariant address;
    const char16_t *name;
    const char16_t *address1;
};

class HospitalValues : public MainTest, public ::testing::WithParamInterface<HospitalRow>
{
};

TEST_P(HospitalValues, NullsReadAsEmptyTexts)
{
    setHospital(GetParam().company, GetParam().address);
    useSession(com::Variant(true));
    sys::Main();
    ASSERT_EQ(windowConnections.size(), 1);
    EXPECT_EQ(nameWhileOpen, QString::fromUtf16(GetParam().name));
    EXPECT_EQ(addressWhileOpen, QString::fromUtf16(GetParam().address1));
    EXPECT_TRUE(box->shown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    NullColumns, HospitalValues,
    ::testing::Values(HospitalRow{QVariant(QMetaType::fromType<QString>()), QStringLiteral("Quezon City"), u"",
                                  u"Quezon City"},
                      HospitalRow{QStringLiteral("Ospital ng Maynila"), QVariant(QMetaType::fromType<QString>()),
                                  u"Ospital ng Maynila", u""},
                      HospitalRow{QVariant(QMetaType::fromType<QString>()), QVariant(QMetaType::fromType<QString>()),
                                  u"", u""}));

TEST_F(MainTest, NoHospitalRowGivesAnEmptyNameAndAddress)
{
    useSession(com::Variant(true));
    sys::Main();
    ASSERT_EQ(windowConnections.size(), 1);
    EXPECT_TRUE(nameWhileOpen.isEmpty());
    EXPECT_TRUE(addressWhileOpen.isEmpty());
    EXPECT_TRUE(box->shown().isEmpty());
}

TEST_F(MainTest, AMissingSessionComponentIsReportedAndEndsTheRun)
{
    com::UnregisterProgID(session::kProgID);
    sys::Main();
    ASSERT_EQ(box->shown().size(), 1);
    EXPECT_EQ(box->shown().first().prompt, QStringLiteral("ActiveX component can't create object"));
    EXPECT_EQ(box->shown().first().title, QStringLiteral("ORVANT DOH"));
    EXPECT_TRUE(windowConnections.isEmpty());
    EXPECT_TRUE(SentExactly(connection, {}));
}

TEST_F(MainTest, AFailingHospitalReadShowsTheDatabaseMessageAndOpensNoWindow)
{
    useSession(com::Variant(true));
    connection->setInterceptor([](const QString &text) {
        if (text == kHospitalRead)
            throw adodb::BackendError(QStringLiteral("Invalid object name 'Patient_Data..tbHospitalInfo'."));
    });
    sys::Main();
    ASSERT_EQ(box->shown().size(), 1);
    EXPECT_EQ(box->shown().first().prompt, QStringLiteral("Invalid object name 'Patient_Data..tbHospitalInfo'."));
    EXPECT_TRUE(SentExactly(connection, {kHospitalRead}));
    EXPECT_TRUE(windowConnections.isEmpty());
    EXPECT_TRUE(codeSearch->calls.isEmpty());
}

TEST_F(MainTest, AMissingCodeSearchComponentIsReportedAndEndsTheRun)
{
    useSession(com::Variant(true));
    com::UnregisterProgID(codesearch::kProgID);
    sys::Main();
    ASSERT_EQ(box->shown().size(), 1);
    EXPECT_EQ(box->shown().first().prompt, QStringLiteral("ActiveX component can't create object"));
    EXPECT_TRUE(SentExactly(connection, {kHospitalRead}));
    EXPECT_TRUE(windowConnections.isEmpty());
    EXPECT_EQ(sys::pobjCodeSearch, nullptr);
}

TEST_F(MainTest, AFailingSetupReadIsReportedAndReleasesTheSharedObjects)
{
    useSession(com::Variant(true));
    connection->setInterceptor([](const QString &text) {
        if (text == kSetupRead)
            throw adodb::BackendError(QStringLiteral("Login failed for user 'records'."));
    });
    sys::Main();
    ASSERT_EQ(box->shown().size(), 1);
    EXPECT_EQ(box->shown().first().prompt, QStringLiteral("Login failed for user 'records'."));
    EXPECT_TRUE(SentExactly(connection, {kHospitalRead, kSetupRead}));
    EXPECT_TRUE(windowConnections.isEmpty());
    EXPECT_EQ(sys::pobjCurrentUser, nullptr);
    EXPECT_EQ(sys::pobjCodeSearch, nullptr);
}

TEST_F(MainTest, AFailureInsideTheWindowStepIsReportedToo)
{
    useSession(com::Variant(true));
    sys::setBuildFileWindowOpener([](const adodb::ConnectionPtr &) {
        throw com::ComError(com::errors::ObjectRequired, QStringLiteral("Object required"));
    });
    sys::Main();
    ASSERT_EQ(box->shown().size(), 1);
    EXPECT_EQ(box->shown().first().prompt, QStringLiteral("Object required"));
    EXPECT_EQ(sys::pobjCurrentUser, nullptr);
}

TEST_F(MainTest, SetupFlagsDecideTheOldItemsOfTheWindow)
{
    embedded::sql::exec(store.store().database(),
                        QStringLiteral("INSERT INTO Patient_Data.tbDOHSetup (SetupID, IsAllowERCases, "
                                       "IsAllowConsultationCauses) VALUES (1, 1, 0)"));
    useSession(com::Variant(true));
    bool erListed = false;
    bool consultationListed = true;
    sys::setBuildFileWindowOpener([&](const adodb::ConnectionPtr &) {
        erListed = sys::IsReportItemListed(QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)"));
        consultationListed =
            sys::IsReportItemListed(QStringLiteral("III.11.4 Leading Causes of Consultation (OPD)(OLD)"));
    });
    sys::Main();
    EXPECT_TRUE(erListed);
    EXPECT_FALSE(consultationListed);
}

} // namespace
