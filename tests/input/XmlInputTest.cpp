// The XML policy: entities expand under a cap, nothing outside the bytes is ever read (in
// any libxml2 use of the process), document type declarations are refused where asked,
// and errors are collected, never printed.
#include "XmlInput.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <thread>

using namespace zorv::input;

namespace {

struct CharFree {
    void operator()(xmlChar* c) const { xmlFree(c); }
};

QString RootText(const XmlDocPtr& doc) {
    const std::unique_ptr<xmlChar, CharFree> text(
        xmlNodeGetContent(xmlDocGetRootElement(doc.get())));
    return QString::fromUtf8(reinterpret_cast<const char*>(text.get()));
}

} // namespace

TEST(XmlEntities, ASmallInternalEntityExpands) {
    XmlProblem problem;
    const XmlDocPtr doc = ReadXml("<!DOCTYPE r [<!ENTITY co \"Example &amp; Sons\">]>"
                                  "<r a=\"&co;\">At &co;.</r>",
                                  {}, &problem);
    ASSERT_NE(doc, nullptr) << problem.message.toStdString();
    EXPECT_EQ(RootText(doc), "At Example & Sons.");
}

TEST(XmlEntities, AmplificationPastTheCapFailsWithAMessage) {
    // 400 KB of references to a 4 KB entity would expand to 400 MB.
    const QByteArray file = "<!DOCTYPE r [<!ENTITY x \"" + QByteArray(4096, 'x') + "\">]><r>" +
                            QByteArray("&x;").repeated(400 * 1024 / 3) + "</r>";
    XmlProblem problem;
    EXPECT_EQ(ReadXml(file, {}, &problem), nullptr);
    EXPECT_TRUE(problem.message.contains("entity references expand to more than 1024 KiB"))
        << problem.message.toStdString();
    // The same through nested entities, and in attribute values.
    QByteArray nested = "<!DOCTYPE r [<!ENTITY a \"" + QByteArray(1000, 'a') + "\">";
    for (char level = 'b'; level <= 'e'; ++level)
        nested += QByteArray("<!ENTITY ") + level + " \"" +
                  QByteArray("&").append(char(level - 1)).append(';').repeated(10) + "\">";
    EXPECT_EQ(ReadXml(nested + "]><r>&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;</r>", {}), nullptr);
    EXPECT_EQ(ReadXml(nested + "]><r><a v=\"&e;\"/><a v=\"&e;\"/><a v=\"&d;&e;\"/></r>", {}),
              nullptr);
    // Doubling forty times: counted without overflowing.
    QByteArray doubling = "<!DOCTYPE r [<!ENTITY l0 \"ab\">";
    for (int i = 1; i <= 40; ++i)
        doubling += "<!ENTITY l" + QByteArray::number(i) + " \"&l" + QByteArray::number(i - 1) +
                    ";&l" + QByteArray::number(i - 1) + ";\">";
    EXPECT_EQ(ReadXml(doubling + "]><r>&l40;</r>", {}), nullptr);
}

TEST(XmlPolicy, PackagePartsRefuseADocumentTypeDeclaration) {
    const QByteArray xml = "<!DOCTYPE r [<!ENTITY co \"x\">]><r>&co;</r>";
    XmlProblem problem;
    EXPECT_EQ(ReadXml(xml, {QStringLiteral("word/document.xml"), true}, &problem), nullptr);
    EXPECT_TRUE(problem.message.contains("document type declaration"));
    EXPECT_NE(ReadXml(xml, {}), nullptr);
}

TEST(XmlPolicy, NoLibxml2UseInTheProcessLoadsAnExternalResource) {
    QTemporaryDir dir;
    const QString secret = dir.filePath("secret.txt");
    ASSERT_TRUE(zorv::test::WriteFile(secret, "TOPSECRET"));
    const QByteArray xml =
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + secret.toUtf8() + "\">]><r>&x;</r>";
    const XmlDocPtr ours = ReadXml(xml, {});
    if (ours) {
        EXPECT_FALSE(RootText(ours).contains("TOPSECRET"));
    }
    // Even a direct call that asks for substitution, on another thread, reads nothing.
    std::thread other([&] {
        XmlDocPtr direct(xmlReadMemory(xml.constData(), int(xml.size()), nullptr, nullptr,
                                       XML_PARSE_NOENT | XML_PARSE_DTDLOAD | XML_PARSE_NOERROR |
                                           XML_PARSE_NOWARNING));
        if (direct) {
            EXPECT_FALSE(RootText(direct).contains("TOPSECRET"));
        }
    });
    other.join();
}

TEST(XmlPolicy, ErrorsAreCollectedNeverPrinted) {
    testing::internal::CaptureStderr();
    XmlProblem problem;
    const XmlDocPtr doc = ReadXml("<r>\n<a></b></r>", {}, &problem);
    QByteArray deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    XmlProblem deepProblem;
    EXPECT_EQ(ReadXml(deep, {}, &deepProblem), nullptr);
    ReadHtml("<html><body><p>unclosed <b>tags</i></body>", {});
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(doc, nullptr);
    EXPECT_EQ(problem.line, 2);
    EXPECT_FALSE(problem.message.isEmpty());
    EXPECT_FALSE(problem.message.contains('\n'));
    EXPECT_FALSE(deepProblem.message.isEmpty()); // libxml2's depth limit holds
}
