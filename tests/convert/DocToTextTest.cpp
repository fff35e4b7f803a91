// .doc through LibreOffice headless: the real office reads the fixture; without an office
// the message says what is missing.
#include "DocToText.h"
#include "ConvertTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zorv::rp::convert;
using namespace zorv::test;

TEST(DocToText, DocFixtureThroughLibreOffice) {
    if (FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const auto r = ConvertBytes(Fixture(QStringLiteral("resume.doc")), QStringLiteral("doc"));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_TRUE(r.text.contains(QStringLiteral("jane.doe@example.com"))) << r.text.toStdString();
    EXPECT_TRUE(r.text.contains(
        QStringLiteral("2019 – Present\tSenior Software Engineer\tNorthwind Payments")));
    EXPECT_TRUE(r.text.contains(QStringLiteral("Resume of Jane Doe, page")));
    // A damaged .doc: the office gives up, the message says so.
    QByteArray broken = Fixture(QStringLiteral("resume.doc")).left(2048);
    const auto bad = ConvertBytes(broken, QStringLiteral("doc"));
    EXPECT_FALSE(bad.ok);
    EXPECT_FALSE(bad.message.isEmpty());
}

TEST(DocToText, MissingOfficeSaysSo) {
    // A machine without LibreOffice: nothing to find on the search path.
    const QTemporaryDir nothing;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(nothing.path()));
    const auto r = DocToText(Fixture(QStringLiteral("resume.doc")));
    qputenv("PATH", path);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("need LibreOffice, which is not installed")));
}
