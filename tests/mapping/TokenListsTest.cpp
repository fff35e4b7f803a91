// List tokens of the map: items from nodes or from lines, fields relative to the item, nested
// lists, joins and dates; and the flat tokens of a map without lists exactly as before.
#include "MappingTestSupport.h"

#include <QFile>

using zorv::GetTokenListsFromXML;
using zorv::TokenList;

namespace {

const QByteArray kHrXml = R"(<?xml version="1.0"?>
<Resume xmlns="http://ns.hr-xml.org/2007-04-15"><StructuredXMLResume>
<EmploymentHistory>
  <EmployerOrg><EmployerOrgName>Acme</EmployerOrgName>
    <PositionHistory currentEmployer="true"><Title>Lead</Title>
      <Description>- first line
   • second line

* third line</Description>
      <StartDate><YearMonth>2021-03</YearMonth></StartDate>
      <EndDate><StringDate>Present</StringDate></EndDate></PositionHistory>
    <PositionHistory><Title>Analyst</Title><Description/>
      <StartDate><Year>2015</Year></StartDate><EndDate><AnyDate>2019-11-02</AnyDate></EndDate>
    </PositionHistory>
  </EmployerOrg>
</EmploymentHistory>
<Qualifications><Competency name="SQL"/><Competency name=" "/><Competency name="Agile"/></Qualifications>
</StructuredXMLResume></Resume>)";

const QByteArray kListMap = R"(
  <Positions>
    <Items>/Resume/StructuredXMLResume/EmploymentHistory/EmployerOrg/PositionHistory</Items>
    <Title><XPaths><XPath>Title</XPath></XPaths></Title>
    <Employer><XPaths><XPath>../EmployerOrgName</XPath></XPaths></Employer>
    <StartDate><XPaths><XPath format="date">StartDate</XPath></XPaths></StartDate>
    <EndDate><XPaths><XPath format="date" present="today" months="Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec">EndDate</XPath></XPaths></EndDate>
    <Bullets><Lines>Description</Lines></Bullets>
  </Positions>
  <Skills><XPaths><XPath join=" / ">//Competency/@name</XPath></XPaths></Skills>
  <Empty><Items>//Nothing</Items><Name><XPaths><XPath>.</XPath></XPaths></Name></Empty>)";

class TokenListsTest : public zorv::test::TempFolderTest {};

TEST_F(TokenListsTest, ItemsFieldsNestedLinesAndDates) {
    const QString hrxml = Write("r.xml", kHrXml);
    const QString map = Write("map.xml", zorv::test::MapOf(kListMap));
    const std::vector<TokenList> lists = GetTokenListsFromXML(hrxml, map);
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[1].name, "Empty");
    EXPECT_TRUE(lists[1].items.empty());
    const TokenList& positions = lists[0];
    ASSERT_EQ(positions.items.size(), 2u);
    EXPECT_EQ(positions.items[0].names, (QStringList{"Title", "Employer", "StartDate", "EndDate"}));
    EXPECT_EQ(positions.items[0].values, (QStringList{"Lead", "Acme", "March 2021", "today"}));
    EXPECT_EQ(positions.items[1].values, (QStringList{"Analyst", "Acme", "2015", "Nov 2019"}));
    ASSERT_EQ(positions.items[0].lists.size(), 1u);
    QStringList bullets;
    for (const auto& line : positions.items[0].lists[0].items)
        bullets << line.values;
    EXPECT_EQ(bullets, (QStringList{"first line", "second line", "third line"}));
    EXPECT_TRUE(positions.items[1].lists[0].items.empty());
}

TEST_F(TokenListsTest, AJoinTakesEveryNonBlankNodeAndListsStayOutOfTheFlatTokens) {
    zorv::test::Extraction e;
    e.Run(Write("r.xml", kHrXml), Write("map.xml", zorv::test::MapOf(kListMap)));
    EXPECT_EQ(e.TokenNames, QStringList{"Skills"});
    EXPECT_EQ(e.TokenValues, QStringList{"SQL / Agile"});
}

TEST_F(TokenListsTest, AMapThatDoesNotLoadGivesNoListsQuietly) {
    zorv::test::MessageRecorder messages;
    EXPECT_TRUE(GetTokenListsFromXML(Write("r.xml", kHrXml), Write("m.xml", "<HRXMLMap>")).empty());
    EXPECT_TRUE(messages.messages.empty());
}

// The shipped map before lists, on the example resume, gives the tokens the release before
// gave (recorded with it).
TEST_F(TokenListsTest, TheFormerShippedMapGivesTheFormerTokens) {
    zorv::test::Extraction e;
    e.Run(zorv::test::DataPath("word/example-hrxml.xml"),
          zorv::test::DataPath("mapping/former-map.xml"));
    QStringList lines;
    for (qsizetype i = 0; i < e.TokenNames.size(); ++i)
        lines << e.TokenNames[i] + "\t" + e.TokenValues[i];
    EXPECT_EQ(lines.join("\n") + "\n", QString::fromUtf8(zorv::test::ReadFile(
                                           zorv::test::DataPath("mapping/former-map-tokens.txt"))));
}

} // namespace
