#include "codesearch/CodeSearchDialog.h"
#include "codesearch/clsCodeSearch.h"

#include "com/ComError.h"
#include "support/ScriptedMessageBox.h"
#include "support/StatementLog.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

using testing_support::SentExactly;
using testing_support::TempStore;

const QString kServiceRead = QStringLiteral("SELECT ServiceCode, Service FROM BUILD_FILE..tbCoService");

class CodeSearch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        connection = store.connect();
        search.setSearchMode(true);
        search.Initialize_Classes();
        search.setConnection(connection);
    }

    // Runs SearchListing(9, filter); script acts on the shown dialog and may end it.
    com::Variant runSearch(const QString &filter, std::function<void(codesearch::CodeSearchDialog &)> script)
    {
        search.setDialogHook([script](codesearch::CodeSearchDialog &dialog) {
            QTimer::singleShot(0, &dialog, [script, &dialog] {
                script(dialog);
                if (dialog.isVisible())
                    dialog.reject();
            });
        });
        return search.SearchListing(9, filter);
    }

    static QStringList codes(const codesearch::CodeSearchDialog &dialog)
    {
        QStringList result;
        for (const auto &row : dialog.visibleRows())
            result.append(row.code);
        return result;
    }

    TempStore store;
    adodb::ConnectionPtr connection;
    codesearch::clsCodeSearch search;
    testing_support::ScopedMessageBox box;
};

TEST_F(CodeSearch, TypingFiltersByCodeOrDescriptionAndEnterPicks)
{
    QStringList byDescription, byCode;
    const com::Variant picked = runSearch(QString(), [&](codesearch::CodeSearchDialog &dialog) {
        EXPECT_EQ(dialog.visibleRows().size(), 15);
        QTest::keyClicks(dialog.txtFilter, QStringLiteral("surg"));
        byDescription = codes(dialog);
        dialog.txtFilter->clear();
        QTest::keyClicks(dialog.txtFilter, QStringLiteral("1"));
        byCode = codes(dialog);
        QTest::keyClick(dialog.txtFilter, Qt::Key_Down);
        QTest::keyClick(dialog.txtFilter, Qt::Key_Down);
        QTest::keyClick(dialog.txtFilter, Qt::Key_Up);
        QTest::keyClick(dialog.txtFilter, Qt::Key_Return);
    });
    EXPECT_EQ(byDescription, QStringList{QStringLiteral("23")});
    EXPECT_EQ(byCode, (QStringList{QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12"),
                                   QStringLiteral("13"), QStringLiteral("14"), QStringLiteral("15")}));
    ASSERT_FALSE(picked.isNull());
    EXPECT_TRUE(picked.toBool());
    EXPECT_EQ(search.getServiceRecord().ResultCode.toText(), QStringLiteral("11"));
    EXPECT_EQ(search.getServiceRecord().Service.toText(), QStringLiteral("Obstetrics"));
    EXPECT_TRUE(SentExactly(connection, {kServiceRead}));
}

TEST_F(CodeSearch, TheGivenFilterIsAppliedAndDoubleClickPicks)
{
    const com::Variant picked = runSearch(QStringLiteral("newborn"), [&](codesearch::CodeSearchDialog &dialog) {
        EXPECT_EQ(dialog.txtFilter->text(), QStringLiteral("newborn"));
        EXPECT_EQ(codes(dialog), (QStringList{QStringLiteral("13"), QStringLiteral("15")}));
        QTreeWidgetItem *item = dialog.lvwList->topLevelItem(3);
        ASSERT_EQ(item->text(0), QStringLiteral("13"));
        emit dialog.lvwList->itemDoubleClicked(item, 0);
    });
    EXPECT_TRUE(picked.toBool());
    EXPECT_EQ(search.getServiceRecord().ResultCode.toText(), QStringLiteral("13"));
    EXPECT_EQ(search.getServiceRecord().Service.toText(), QStringLiteral("Newborn"));
}

TEST_F(CodeSearch, CancelAnswersFalseAndLeavesNoRecord)
{
    const com::Variant picked = runSearch(QString(), [&](codesearch::CodeSearchDialog &dialog) {
        dialog.lvwList->setCurrentItem(dialog.lvwList->topLevelItem(0));
        dialog.cmdCancel->click();
    });
    EXPECT_FALSE(picked.toBool());
    EXPECT_TRUE(search.getServiceRecord().ResultCode.isNull());
    EXPECT_TRUE(search.getServiceRecord().Service.isNull());
}

TEST_F(CodeSearch, NothingMatchingLeavesNothingToPick)
{
    bool okEnabled = true;
    const com::Variant picked = runSearch(QStringLiteral("zzz"), [&](codesearch::CodeSearchDialog &dialog) {
        okEnabled = dialog.cmdOK->isEnabled();
        QTest::keyClick(dialog.txtFilter, Qt::Key_Return);
    });
    EXPECT_FALSE(okEnabled);
    EXPECT_FALSE(picked.toBool());
}

TEST_F(CodeSearch, ATypedQuoteIsJustText)
{
    const com::Variant picked = runSearch(QStringLiteral("O'Brien"), [&](codesearch::CodeSearchDialog &dialog) {
        EXPECT_TRUE(dialog.visibleRows().isEmpty());
    });
    EXPECT_FALSE(picked.toBool());
    EXPECT_TRUE(SentExactly(connection, {kServiceRead}));
}

TEST_F(CodeSearch, OtherListingsFailClearly)
{
    try {
        search.SearchListing(5, QString());
        FAIL() << "listing 5 opened";
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("The code search has no listing 5; listing 9 lists the services."));
    }
    EXPECT_TRUE(SentExactly(connection, {}));
}

TEST_F(CodeSearch, WithoutAConnectionItFails)
{
    codesearch::clsCodeSearch unconnected;
    EXPECT_THROW(unconnected.SearchListing(9, QString()), com::ComError);
}

TEST_F(CodeSearch, IsRegisteredUnderItsProgID)
{
    codesearch::RegisterComponents();
    auto created = com::CreateObjectAs<codesearch::CodeSearch>(codesearch::kProgID);
    EXPECT_NE(dynamic_cast<codesearch::clsCodeSearch *>(created.get()), nullptr);
    com::UnregisterProgID(codesearch::kProgID);
}

} // namespace
