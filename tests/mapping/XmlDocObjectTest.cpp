// Loading the HR-XML file: which failures are told to the user and which stay silent.
#include "XmlDocObject.h"
#include "MappingTestSupport.h"

using zorv::GetXMLDocObject;
using zorv::MsgIcon;
using zorv::test::MessageRecorder;

namespace {

class XmlDocObject : public zorv::test::TempFolderTest {};

TEST_F(XmlDocObject, AWellFormedFileIsReturnedWhateverItHolds) {
    MessageRecorder messages;
    const auto doc = GetXMLDocObject(Write("any.xml", "<NotAResume><x/></NotAResume>"));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->DocumentElement().NodeName(), "NotAResume");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(XmlDocObject, MissingFilesAndFoldersGiveNothingSilently) {
    MessageRecorder messages;
    EXPECT_EQ(GetXMLDocObject(Path("missing.xml")), nullptr);
    EXPECT_EQ(GetXMLDocObject(Path("")), nullptr); // the folder itself
    EXPECT_EQ(GetXMLDocObject(QString()), nullptr);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(XmlDocObject, AnEmptyFileIsReportedWithTheFiveLineMessage) {
    MessageRecorder messages;
    const QString path = Write("empty.xml", "");
    EXPECT_EQ(GetXMLDocObject(path), nullptr);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "Error parsing XML file. \r\nFile: " + path +
                                             "\r\nNumber: 4\r\nDescription: Document is "
                                             "empty\r\nLine: 1");
    EXPECT_EQ(messages.messages[0].icon, MsgIcon::Information);
    EXPECT_TRUE(messages.messages[0].systemModal);
}

TEST_F(XmlDocObject, AFileThatDoesNotParseIsReportedWithItsLine) {
    MessageRecorder messages;
    const QString path = Write("bad.xml", "<Resume>\n  <a>\n  </b>\n</Resume>\n");
    EXPECT_EQ(GetXMLDocObject(path), nullptr);
    ASSERT_EQ(messages.messages.size(), 1u);
    const QStringList lines = messages.messages[0].text.split("\r\n");
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[1], "File: " + path);
    EXPECT_EQ(lines[2], "Number: 76");
    EXPECT_EQ(lines[3], "Description: Opening and ending tag mismatch: a line 2 and b");
    EXPECT_EQ(lines[4], "Line: 3");
}

} // namespace
