#include "adodb/Recordset.h"
#include "embedded/Store.h"
#include "setup/SetupStatements.h"

#include "support/TempStore.h"

#include <gtest/gtest.h>

namespace {

struct Typed
{
    const char *name;
    const char16_t *text;
};

// Texts a user may type, with backslashes and line breaks where the server's
// line continuation would change them if they were merely put in quotes.
class TypedText : public ::testing::TestWithParam<Typed>
{
protected:
    QString typed() const { return QString::fromUtf16(GetParam().text); }
};

// The statements that carry typed text: the report setup's save and the
// service look-up behind its code boxes. The store reads their literals as
// SQL Server does, so what it keeps is what the server would receive.
TEST_P(TypedText, RoundTripsThroughTheSetupSaveAndTheServiceLookup)
{
    testing_support::TempStore store;
    const adodb::ConnectionPtr conn = store.connect();
    embedded::sql::exec(store.store().database(),
                        QStringLiteral("INSERT INTO BUILD_FILE.tbCoService (ServiceCode, Service) VALUES (?, ?)"),
                        {typed(), QStringLiteral("Typed ward")});
    adodb::Recordset service;
    service.Open(setup::ServiceLookupStatement(typed()), conn);
    ASSERT_FALSE(service.Eof());
    EXPECT_EQ(service.Fields(QStringLiteral("Service")).Value().toString(), QStringLiteral("Typed ward"));

    conn->Execute(setup::SaveSetupStatement(QStringLiteral("13"), typed(), QStringLiteral("23") + typed()));
    adodb::Recordset saved;
    saved.Open(setup::LoadSetupStatement(), conn);
    ASSERT_FALSE(saved.Eof());
    EXPECT_EQ(saved.Fields(QStringLiteral("NewbornCode")).Value().toString(), typed());
    EXPECT_EQ(saved.Fields(QStringLiteral("SurgeryCode")).Value().toString(), QStringLiteral("23") + typed());
}

INSTANTIATE_TEST_SUITE_P(Texts, TypedText,
                         ::testing::Values(Typed{"BackslashEndsALine", u"13\\\nnext"},
                                           Typed{"BackslashBeforeCarriageReturnAndLineFeed", u"\\\r\n13"},
                                           Typed{"TwoBackslashesEndALine", u"a\\\\\nb"},
                                           Typed{"QuoteAndBackslashAtTheEnd", u"O'Brien\\\n'\\"},
                                           Typed{"BackslashBeforeCarriageReturnAlone", u"a\\\rb"},
                                           Typed{"LineBreakWithoutBackslash", u"a\nb"}),
                         [](const ::testing::TestParamInfo<Typed> &info) { return std::string(info.param.name); });

} // namespace
