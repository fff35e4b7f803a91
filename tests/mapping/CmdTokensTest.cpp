// qarn tokens on a real HR-XML 2.5 resume with the map file shipped beside qarn.
#include "MappingTestSupport.h"
#include "TokenLines.h"
#include "XmlDocument.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>

namespace {

zorv::test::QarnResult Qarn(const QStringList& args) {
    return zorv::test::RunQarn(args);
}

const QString kResume = zorv::test::DataPath("mapping/Resume25.xml");

// The tokens qarn prints for the resume with the shipped map, by name.
QMap<QString, QString> ShippedMapTokens(const QString& resume) {
    const zorv::test::QarnResult r = Qarn({"tokens", resume});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    QStringList names, values;
    EXPECT_TRUE(zorv::DecodeTokenLines(r.out, names, values));
    QMap<QString, QString> tokens;
    for (qsizetype i = 0; i < names.size(); ++i)
        tokens.insert(names[i], values.value(i));
    return tokens;
}

class CmdTokens : public zorv::test::TempFolderTest {};

TEST_F(CmdTokens, TheShippedMapReadsAnHRXML25Resume) {
    const QMap<QString, QString> value = ShippedMapTokens(kResume);
    EXPECT_EQ(value["FullName"], "Ana María Köhler");
    EXPECT_EQ(value["FirstName"], "Ana María");
    EXPECT_EQ(value["LastName"], "Köhler");
    EXPECT_EQ(value["Email"], "ana.koehler@example.org");
    EXPECT_EQ(value["Phone"], "+49 30 1234567");
    EXPECT_EQ(value["Street"], "Invalidenstraße 12");
    EXPECT_EQ(value["City"], "Berlin");
    EXPECT_EQ(value["PostalCode"], "10115");
    EXPECT_EQ(value["Country"], "DE");
    EXPECT_EQ(value["Summary"],
              "Process engineer with ten years in water treatment. Leads teams of five to twelve.");
    EXPECT_EQ(value["CurrentTitle"], "Senior Process Engineer");
    EXPECT_EQ(value["CurrentEmployer"], "Klarwasser GmbH");
    EXPECT_EQ(value["Degree"], "M.Sc. Process Engineering");
    EXPECT_EQ(value["School"], "Technische Universität Berlin");
    // Every competency, joined: the shipped map no longer stops at the first.
    EXPECT_EQ(value["Skills"], "Membrane filtration, SCADA");
    EXPECT_EQ(value["Skill2"], "SCADA");
    EXPECT_TRUE(value.contains("Region"));
}

TEST_F(CmdTokens, JsonAndAnotherMapWithValuesNeedingEscapes) {
    const QString map = Write("map.xml", zorv::test::MapOf(R"(
  <A><XPaths><Append>back\slash&#9;tab&#13;cr</Append></XPaths></A>
  <B/>)"));
    const zorv::test::QarnResult lines = Qarn({"tokens", kResume, "--map", map});
    ASSERT_EQ(lines.status, 0) << lines.err.toStdString();
    EXPECT_EQ(lines.out, "A\tback\\\\slash\\ttab\\rcr\nB\t\n");

    const zorv::test::QarnResult json = Qarn({"tokens", "--json", kResume, "--map", map});
    ASSERT_EQ(json.status, 0);
    const QJsonArray array = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(array.size(), 2);
    EXPECT_EQ(array[0].toObject()["name"].toString(), "A");
    EXPECT_EQ(array[0].toObject()["value"].toString(), "back\\slash\ttab\rcr");
    EXPECT_EQ(array[1].toObject()["value"].toString(), "");
}

TEST_F(CmdTokens, FailuresAreToldOnStandardErrorWithStatusOne) {
    const zorv::test::QarnResult missing = Qarn({"tokens", Path("none.xml")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains("HR-XML file not found.")) << missing.err.toStdString();

    const zorv::test::QarnResult badMap =
        Qarn({"tokens", kResume, "--map", Write("bad.xml", "<HRXMLMap>")});
    EXPECT_EQ(badMap.status, 1);
    EXPECT_TRUE(badMap.err.contains("Error parsing Map XML file. \nFile: "))
        << badMap.err.toStdString();

    const zorv::test::QarnResult badExpression =
        Qarn({"tokens", kResume, "--map",
              Write("expr.xml", zorv::test::MapOf("<A><XPaths><XPath>/[</XPath></XPaths></A>"))});
    EXPECT_EQ(badExpression.status, 1);
    EXPECT_TRUE(badExpression.out.isEmpty());
    EXPECT_TRUE(badExpression.err.contains("Number: ")) << badExpression.err.toStdString();

    EXPECT_EQ(Qarn({"tokens"}).status, 2);
}

TEST_F(CmdTokens, EveryExpressionOfTheShippedMapEvaluates) {
    // Fallbacks run only when earlier recipes find nothing, so check each one directly.
    zorv::xml::Document map, resume;
    ASSERT_TRUE(map.Load(QStringLiteral(ZORV_BIN_DIR "/ZorvQarn.xml")));
    ASSERT_TRUE(resume.Load(kResume));
    const std::vector<zorv::xml::Node> expressions = map.SelectNodes("/HRXMLMap/*/XPaths/XPath");
    EXPECT_GT(expressions.size(), 30u);
    for (const zorv::xml::Node& x : expressions)
        EXPECT_NO_THROW(resume.SelectSingleNode(x.Text())) << x.Text().toStdString();
}

TEST_F(CmdTokens, TheShippedMapFallsBackWhereHRXMLHasAnotherPlace) {
    const QString resume = Write("fallback.xml", R"(<?xml version="1.0"?>
<Resume xmlns="http://ns.hr-xml.org/2006-02-28"><StructuredXMLResume>
  <ContactInfo>
    <PersonName><GivenName>Lee</GivenName><FamilyName>Park</FamilyName></PersonName>
    <ContactMethod><Mobile><FormattedNumber>555 0100</FormattedNumber></Mobile></ContactMethod>
  </ContactInfo>
  <Objective>Plant manager.</Objective>
  <EmploymentHistory>
    <EmployerOrg><EmployerOrgName>Acme</EmployerOrgName>
      <PositionHistory><Title/></PositionHistory>
      <PositionHistory><Title>Shift Lead</Title></PositionHistory>
    </EmployerOrg>
  </EmploymentHistory>
  <EducationHistory><SchoolOrInstitution><School><SchoolName>State College</SchoolName></School>
    <Degree degreeType="bachelors"/></SchoolOrInstitution></EducationHistory>
</StructuredXMLResume></Resume>)");
    const QMap<QString, QString> value = ShippedMapTokens(resume);
    EXPECT_EQ(value["FullName"], "Lee Park");
    EXPECT_EQ(value["Phone"], "555 0100");
    EXPECT_EQ(value["Summary"], "Plant manager.");
    EXPECT_EQ(value["CurrentTitle"], "Shift Lead");
    EXPECT_EQ(value["CurrentEmployer"], "Acme");
    EXPECT_EQ(value["Degree"], "bachelors");
    EXPECT_EQ(value["School"], "State College");
    EXPECT_EQ(value["Email"], "");
}

} // namespace
