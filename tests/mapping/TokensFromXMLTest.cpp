// Token extraction through a map: alternatives, concatenation, normalisation, the token
// arrays, the two parse-error messages and the errors that end a run.
#include "MappingTestSupport.h"
#include "ZorvError.h"

using zorv::ErrNumberText;
using zorv::MsgIcon;
using zorv::ZorvError;
using zorv::test::Extraction;
using zorv::test::MapOf;
using zorv::test::MessageRecorder;

namespace {

const QByteArray kHrXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<Resume xmlns="http://ns.hr-xml.org/2007-04-15">
  <PersonName>
    <GivenName>John</GivenName>
    <FamilyName>Smith</FamilyName>
  </PersonName>
  <Note>one&#13;&#10;two&#10;three&#13;four</Note>
  <Spaces>   </Spaces>
  <Tabbed>a&#9;b</Tabbed>
  <Address><Line>Main Street 1</Line><City>Springfield</City></Address>
</Resume>
)";

class TokensFromXML : public zorv::test::TempFolderTest {
protected:
    Extraction RunMap(const QByteArray& tokens) {
        Extraction e;
        e.Run(Write("resume.xml", kHrXml), Write("map.xml", MapOf(tokens)));
        return e;
    }
};

// --- alternatives and concatenation -----------------------------------------------------

TEST_F(TokensFromXML, FirstNonBlankAlternativeWinsAndLaterOnesAreNotEvaluated) {
    // The third alternative is not even a valid expression: evaluating it would throw.
    const Extraction e = RunMap(R"(
  <LastName>
    <XPaths><XPath>/Resume/PersonName/MiddleName</XPath></XPaths>
    <XPaths><XPath>/Resume/PersonName/FamilyName</XPath></XPaths>
    <XPaths><XPath>/Resume/PersonName/[broken</XPath></XPaths>
  </LastName>)");
    ASSERT_EQ(e.NTokens, 1);
    EXPECT_EQ(e.TokenNames, QStringList{"LastName"});
    EXPECT_EQ(e.TokenValues, QStringList{"Smith"});
}

TEST_F(TokensFromXML, PartsJoinInDocumentOrderAndSpaceOnlyAppendIsKept) {
    const Extraction e = RunMap(R"(
  <FullName>
    <XPaths>
      <Append>Mr </Append>
      <XPath>/Resume/PersonName/GivenName</XPath>
      <Append> </Append>
      <XPath>/Resume/PersonName/FamilyName</XPath>
      <XPath>/Resume/PersonName/NoSuchElement</XPath>
      <Append>!</Append>
    </XPaths>
  </FullName>)");
    EXPECT_EQ(e.TokenValues, QStringList{"Mr John Smith!"});
}

TEST_F(TokensFromXML, AppendAloneGivesTheValueWhenTheExpressionFindsNothing) {
    const Extraction e = RunMap(R"(
  <Title>
    <XPaths><XPath>/Resume/Title</XPath><Append>n/a</Append></XPaths>
    <XPaths><XPath>/Resume/PersonName/FamilyName</XPath></XPaths>
  </Title>)");
    EXPECT_EQ(e.TokenValues, QStringList{"n/a"});
}

TEST_F(TokensFromXML, SpacesFromABlankAlternativeStayBeforeTheNextOne) {
    const Extraction e = RunMap(R"(
  <Name>
    <XPaths><XPath>/Resume/Spaces</XPath></XPaths>
    <XPaths><Append>  </Append></XPaths>
    <XPaths><XPath>/Resume/PersonName/FamilyName</XPath></XPaths>
    <XPaths><Append>never</Append></XPaths>
  </Name>
  <LoneCR>
    <XPaths><Append>&#13;</Append></XPaths>
    <XPaths><Append>never</Append></XPaths>
  </LoneCR>)");
    EXPECT_EQ(e.TokenValues, (QStringList{"     Smith", "\r"}));
}

TEST_F(TokensFromXML, ElementTextIsTheTextOfAllDescendants) {
    const Extraction e = RunMap(R"(
  <Address><XPaths><XPath>/Resume/Address</XPath></XPaths></Address>
  <City><XPaths><XPath>//City</XPath></XPaths></City>
  <Attr><XPaths><XPath>/Resume/@missing</XPath><Append>-</Append></XPaths></Attr>)");
    EXPECT_EQ(e.TokenValues, (QStringList{"Main Street 1Springfield", "Springfield", "-"}));
}

TEST_F(TokensFromXML, ChildrenWhoseNamesDifferOnlyInCaseAreIgnored) {
    const Extraction e = RunMap(R"(
  <Name>
    <XPaths>
      <xpath>/Resume/PersonName/GivenName</xpath>
      <APPEND>x</APPEND>
      <Comment>ignored too</Comment>
      <XPath>/Resume/PersonName/FamilyName</XPath>
    </XPaths>
    <xpaths><XPath>/Resume/PersonName/GivenName</XPath></xpaths>
  </Name>)");
    EXPECT_EQ(e.TokenValues, QStringList{"Smith"});
}

// --- normalisation ---------------------------------------------------------------------

TEST_F(TokensFromXML, LineBreaksBecomeSpacesButLoneCRAndTabsStay) {
    const Extraction e = RunMap(R"(
  <Note><XPaths><XPath>/Resume/Note</XPath></XPaths></Note>
  <Tabbed><XPaths><XPath>/Resume/Tabbed</XPath><Append>  </Append></XPaths></Tabbed>)");
    EXPECT_EQ(e.TokenValues, (QStringList{"one two three\rfour", "a\tb  "}));
}

// --- the token arrays ------------------------------------------------------------------

TEST_F(TokensFromXML, EveryChildIsATokenInDocumentOrderEmptyValuesIncluded) {
    const Extraction e = RunMap(R"(
  <B><XPaths><XPath>/Resume/PersonName/GivenName</XPath></XPaths></B>
  <A/>
  <C><NotXPaths><XPath>/Resume/PersonName/GivenName</XPath></NotXPaths></C>
  <D><XPaths><XPath>/Resume/Nothing</XPath></XPaths></D>)");
    ASSERT_EQ(e.NTokens, 4);
    EXPECT_EQ(e.TokenNames, (QStringList{"B", "A", "C", "D"}));
    EXPECT_EQ(e.TokenValues, (QStringList{"John", "", "", ""}));
}

TEST_F(TokensFromXML, DuplicateNamesBothAppearWithTheValueOfAllTheirAlternatives) {
    const Extraction e = RunMap(R"(
  <Name><XPaths><XPath>/Resume/Nothing</XPath></XPaths></Name>
  <Other/>
  <Name><XPaths><XPath>/Resume/PersonName/FamilyName</XPath></XPaths></Name>)");
    ASSERT_EQ(e.NTokens, 3);
    EXPECT_EQ(e.TokenNames, (QStringList{"Name", "Other", "Name"}));
    EXPECT_EQ(e.TokenValues, (QStringList{"Smith", "", "Smith"}));
}

// A name's recipes are those its expression "/HRXMLMap/<name>/XPaths" reaches: not those of a
// token element in another namespace, whose own value still comes from that expression.
TEST_F(TokensFromXML, DuplicateNamesBeyondAsciiAndInAnotherNamespaceShareTheirNamesRecipes) {
    const Extraction e = RunMap(R"(
  <Prénom><XPaths><XPath>/Resume/PersonName/GivenName</XPath></XPaths></Prénom>
  <Name xmlns="urn:other"><XPaths><Append>x</Append></XPaths></Name>
  <Name><XPaths><Append>y</Append></XPaths></Name>
  <Prénom/>)");
    ASSERT_EQ(e.NTokens, 4);
    EXPECT_EQ(e.TokenNames, (QStringList{"Prénom", "Name", "Name", "Prénom"}));
    EXPECT_EQ(e.TokenValues, (QStringList{"John", "y", "y", "John"}));
}

TEST_F(TokensFromXML, ArraysAreSizedToTheTokensAndAnEmptyMapLeavesThemAlone) {
    Extraction e;
    e.TokenNames = {"old1", "old2", "old3"};
    e.TokenValues = {"v1", "v2", "v3"};
    const QString hrxml = Write("resume.xml", kHrXml);
    e.Run(hrxml, Write("empty.xml", "<HRXMLMap>\n  \n</HRXMLMap>"));
    EXPECT_EQ(e.NTokens, 0);
    EXPECT_EQ(e.TokenNames.size(), 3);

    e.Run(hrxml, Write("one.xml", MapOf("<T><XPaths><Append>x</Append></XPaths></T>")));
    EXPECT_EQ(e.NTokens, 1);
    EXPECT_EQ(e.TokenNames, QStringList{"T"});
    EXPECT_EQ(e.TokenValues, QStringList{"x"});
}

TEST_F(TokensFromXML, ARootWithAnotherNameGivesEveryTokenAnEmptyValue) {
    Extraction e;
    e.Run(Write("resume.xml", kHrXml),
          Write("map.xml", "<Map><A><XPaths><Append>x</Append></XPaths></A><B/></Map>"));
    ASSERT_EQ(e.NTokens, 2);
    EXPECT_EQ(e.TokenNames, (QStringList{"A", "B"}));
    EXPECT_EQ(e.TokenValues, (QStringList{"", ""}));
}

TEST_F(TokensFromXML, NoHRXMLFileIsFineForAMapWithoutExpressions) {
    MessageRecorder messages;
    Extraction e;
    e.Run(Path("missing.xml"),
          Write("map.xml", MapOf("<A><XPaths><Append>x</Append></XPaths></A>")));
    EXPECT_EQ(e.NTokens, 1);
    EXPECT_EQ(e.TokenValues, QStringList{"x"});
    EXPECT_TRUE(messages.messages.empty());
}

// --- errors that end the run -----------------------------------------------------------

TEST_F(TokensFromXML, NoHRXMLFileFailsAtTheFirstExpressionKeepingEarlierTokens) {
    MessageRecorder messages;
    Extraction e;
    const QString map = Write("map.xml", MapOf(R"(
  <A><XPaths><Append>x</Append></XPaths></A>
  <B><XPaths><XPath>/Resume</XPath></XPaths></B>
  <C/>)"));
    try {
        e.Run(Path("missing.xml"), map);
        FAIL() << "no error raised";
    } catch (const ZorvError& error) {
        EXPECT_EQ(error.Number(), zorv::ErrObjectNotSet);
        EXPECT_FALSE(error.Description().isEmpty());
    }
    EXPECT_EQ(e.NTokens, 1);
    EXPECT_EQ(e.TokenNames, QStringList{"A"});
    EXPECT_TRUE(messages.messages.empty()); // a missing file is not a parse error
}

TEST_F(TokensFromXML, NodesUnderTheRootThatAreNotElementsEndTheRunWithAnError) {
    const QString hrxml = Write("resume.xml", kHrXml);
    for (const QByteArray& odd :
         {QByteArray("<!-- a note -->"), QByteArray("<![CDATA[x]]>"), QByteArray("stray text")}) {
        Extraction e;
        const QString map = Write("map.xml", MapOf("<A/>" + odd + "<B/>"));
        EXPECT_THROW(e.Run(hrxml, map), ZorvError) << odd.constData();
        EXPECT_EQ(e.NTokens, 1) << odd.constData();
    }
}

TEST_F(TokensFromXML, APrefixedTokenNameOrABadExpressionEndsTheRunWithAnError) {
    const QString hrxml = Write("resume.xml", kHrXml);
    Extraction prefixed;
    EXPECT_THROW(
        prefixed.Run(hrxml, Write("p.xml", "<HRXMLMap xmlns:p=\"urn:p\"><p:A/></HRXMLMap>")),
        ZorvError);
    for (const char* expression : {"/Resume/[", "", "count(/Resume)", "$undefined", "/hr:Resume"}) {
        Extraction e;
        const QString map = Write("map.xml", MapOf(QByteArray("<A><XPaths><XPath>") + expression +
                                                   "</XPath></XPaths></A>"));
        EXPECT_THROW(e.Run(hrxml, map), ZorvError) << expression;
    }
}

// --- the namespace rule ----------------------------------------------------------------

TEST_F(TokensFromXML, UnprefixedNamesMatchTheDefaultNamespaceOfEitherVersionAndNoNamespace) {
    const QByteArray map = MapOf("<N><XPaths><XPath>/Resume/PersonName/FamilyName</XPath>"
                                 "</XPaths></N>");
    for (const QByteArray& ns :
         {QByteArray(" xmlns=\"http://ns.hr-xml.org/2007-04-15\""),
          QByteArray(" xmlns=\"http://ns.hr-xml.org/2006-02-28\""), QByteArray()}) {
        Extraction e;
        e.Run(Write("r.xml", "<Resume" + ns +
                                 "><PersonName><FamilyName>Smith</FamilyName>"
                                 "</PersonName></Resume>"),
              Write("map.xml", map));
        EXPECT_EQ(e.TokenValues, QStringList{"Smith"}) << ns.constData();
    }
}

TEST_F(TokensFromXML, ElementsOfAnotherNamespaceAreNotMatchedByUnprefixedNames) {
    Extraction e;
    e.Run(Write("r.xml", R"(<Resume xmlns="http://ns.hr-xml.org/2007-04-15" xmlns:o="urn:other">
  <o:Extra>prefixed</o:Extra>
  <Inner xmlns="urn:other"><Deep>redeclared</Deep></Inner>
</Resume>)"),
          Write("map.xml", MapOf("<A><XPaths><XPath>/Resume/Extra</XPath></XPaths></A>"
                                 "<B><XPaths><XPath>/Resume/Inner/Deep</XPath></XPaths></B>"
                                 "<C><XPaths><XPath>/Resume/*[local-name()='Inner']</XPath>"
                                 "</XPaths></C>")));
    EXPECT_EQ(e.TokenValues, (QStringList{"", "", "redeclared"}));
}

// --- parse-error messages --------------------------------------------------------------

QString Expected(const char* title, const QString& file, int number, const char* description,
                 int line) {
    return QString::fromUtf8(title) + "\r\nFile: " + file + "\r\nNumber: " + ErrNumberText(number) +
           "\r\nDescription: " + QString::fromUtf8(description) +
           "\r\nLine: " + QString::number(line);
}

TEST_F(TokensFromXML, AMapThatDoesNotParseIsReportedAndGivesNoTokens) {
    MessageRecorder messages;
    Extraction e;
    e.TokenNames = {"kept"};
    const QString map = Write("map.xml", "<HRXMLMap>\n<A>\n</HRXMLMap>\n");
    e.Run(Write("resume.xml", kHrXml), map);
    EXPECT_EQ(e.NTokens, 0);
    EXPECT_EQ(e.TokenNames, QStringList{"kept"});
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text,
              Expected("Error parsing Map XML file. ", map, 76,
                       "Opening and ending tag mismatch: A line 2 and HRXMLMap", 3));
    EXPECT_EQ(messages.messages[0].icon, MsgIcon::Information);
    EXPECT_TRUE(messages.messages[0].systemModal);
}

TEST_F(TokensFromXML, AMissingMapIsReportedAsAParseError) {
    MessageRecorder messages;
    Extraction e;
    e.Run(Write("resume.xml", kHrXml), Path("no-map.xml"));
    EXPECT_EQ(e.NTokens, 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(messages.messages[0].text.startsWith(
        "Error parsing Map XML file. \r\nFile: " + Path("no-map.xml") + "\r\nNumber: "));
}

TEST_F(TokensFromXML, WhenBothFilesFailTheHRXMLMessageComesFirst) {
    MessageRecorder messages;
    Extraction e;
    const QString hrxml = Write("resume.xml", "<Resume>");
    const QString map = Write("map.xml", "");
    e.Run(hrxml, map);
    EXPECT_EQ(e.NTokens, 0);
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[0].text, Expected("Error parsing XML file. ", hrxml, 77,
                                                  "Premature end of data in tag Resume line 1", 1));
    EXPECT_EQ(messages.messages[1].text,
              Expected("Error parsing Map XML file. ", map, 4, "Document is empty", 1));
}

} // namespace
