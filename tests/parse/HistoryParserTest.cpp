// Positions, education, skills and languages from the lines of their sections.
#include "HistoryParser.h"
#include "QStringPrinter.h"
#include "Sections.h"
#include "WordLists.h"

#include <gtest/gtest.h>

namespace {

using namespace zorv::rp;

const WordLists& Lists() {
    return GetWordLists({});
}

std::vector<Position> PositionsOf(const char* text) {
    return ParsePositions(TextLines(QString::fromUtf8(text)), Lists());
}

void ExpectNames(const Position& p, const char* title, const char* employer) {
    EXPECT_EQ(p.title, QString::fromUtf8(title));
    EXPECT_EQ(p.employer, QString::fromUtf8(employer));
}

TEST(Positions, EmployerLineThenTitleAndDates) {
    const auto p = PositionsOf("Stripe — San Francisco, CA\n"
                               "Senior Software Engineer        March 2020 – Present\n"
                               "• Led the ledger redesign.\n"
                               "Dropbox — San Francisco, CA\n"
                               "Software Engineer               June 2016 – February 2020\n"
                               "• Built the sync service.\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].employer, QStringLiteral("Stripe"));
    EXPECT_EQ(p[0].title, QStringLiteral("Senior Software Engineer"));
    EXPECT_EQ(p[0].location, QStringLiteral("San Francisco"));
    EXPECT_TRUE(p[0].end.present);
    EXPECT_EQ(p[1].employer, QStringLiteral("Dropbox"));
    EXPECT_EQ(p[1].start.Iso(), QStringLiteral("2016-06"));
    EXPECT_EQ(p[1].end.Iso(), QStringLiteral("2020-02"));
    EXPECT_EQ(p[1].description, QStringLiteral("• Built the sync service."));
}

// A scan or a plain-text table runs cells together: the legal form ends the employer.
TEST(Positions, CellsRunTogetherAfterALegalForm) {
    const auto p = PositionsOf("2016 – 2019 Northwind Inc. Financial Analyst\n"
                               "Associate Solicitor, Fairlaw Partners LLP Manchester\n"
                               "2012 – 2016\n"
                               "2010 – 2012\tLakeside Trading GmbH & Co. KG\tBuyer\n");
    ASSERT_EQ(p.size(), 3u);
    ExpectNames(p[0], "Financial Analyst", "Northwind Inc.");
    ExpectNames(p[1], "Associate Solicitor", "Fairlaw Partners LLP");
    EXPECT_EQ(p[1].location, QStringLiteral("Manchester"));
    ExpectNames(p[2], "Buyer", "Lakeside Trading GmbH & Co. KG");
}

// The heading row's cells set a space apart are still labels, not a position.
TEST(Positions, HeadingLabelsRunTogether) {
    const auto p = PositionsOf("Organization\tDesignation Duration\n"
                               "Northwind Trading\tSenior Buyer\tApr 2020 – Present\n");
    ASSERT_EQ(p.size(), 1u);
    ExpectNames(p[0], "Senior Buyer", "Northwind Trading");
}

TEST(Positions, DatesFirstThenTitleAndEmployer) {
    const auto p =
        PositionsOf("03/2019 – heute\n"
                    "Senior Softwareentwicklerin, Zalando SE, Berlin\n"
                    "Entwicklung von Microservices in Java und Kotlin für den Checkout.\n"
                    "10/2015 – 02/2019\n"
                    "Softwareentwicklerin, SAP SE, Walldorf\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].employer, QStringLiteral("Zalando SE"));
    EXPECT_EQ(p[0].title, QStringLiteral("Senior Softwareentwicklerin"));
    EXPECT_EQ(p[1].employer, QStringLiteral("SAP SE"));
}

TEST(Positions, TableCells) {
    const auto p = PositionsOf("Dates\tEmployer\tPosition\n"
                               "2019 – Present\tVail Resorts\tSenior Financial Analyst\n"
                               "2016 – 2019\tDaVita Inc.\tFinancial Analyst\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].employer, QStringLiteral("Vail Resorts"));
    EXPECT_EQ(p[0].title, QStringLiteral("Senior Financial Analyst"));
    EXPECT_EQ(p[1].employer, QStringLiteral("DaVita Inc."));
}

TEST(Positions, SeveralRolesUnderOneEmployer) {
    const auto p = PositionsOf("Royal Bank of Canada, Toronto, ON\n"
                               "Senior Project Manager (2019 – Present)\n"
                               "  * Delivered the mobile deposit program.\n"
                               "Project Manager (2016 – 2019)\n"
                               "  * Rolled out transfers.\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].employer, QStringLiteral("Royal Bank of Canada"));
    EXPECT_EQ(p[1].employer, QStringLiteral("Royal Bank of Canada"));
    EXPECT_EQ(p[1].title, QStringLiteral("Project Manager"));
}

TEST(Positions, OneLayoutForTitlesWithoutKnownWords) {
    // "Jefe" is a known title word; "Segundo de cocina" and "Cocinero" are placed alike.
    const auto p = PositionsOf("Desde 2020: Jefe de cocina, Restaurante Can Solé, Barcelona\n"
                               "2016 - 2020: Sumiller, Hotel Arts Barcelona\n"
                               "2013 - 2016: Repostero, El Celler de Can Roca, Girona\n");
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[1].title, QStringLiteral("Sumiller"));
    EXPECT_EQ(p[1].employer, QStringLiteral("Hotel Arts Barcelona"));
    EXPECT_EQ(p[2].title, QStringLiteral("Repostero"));
}

TEST(Positions, DescriptionsDoNotLeakIntoTheNextHeading) {
    const auto p =
        PositionsOf("Infosys Limited, Chennai\nSenior Java Developer\nJan 2018 - Till Date\n"
                    "Developed loan origination services for a European bank.\n"
                    "Tata Consultancy Services, Kochi\nJava Developer\nAug 2014 - Dec 2017\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].employer, QStringLiteral("Infosys Limited"));
    EXPECT_TRUE(p[0].end.present);
    EXPECT_EQ(p[1].employer, QStringLiteral("Tata Consultancy Services"));
}

TEST(Positions, ProseWithAYearIsNoPosition) {
    EXPECT_TRUE(PositionsOf("• Grew revenue by 20% in 2019 while cutting costs across the team.\n")
                    .empty());
}

TEST(Positions, DatedLinesWithoutEvidenceAreNoPositions) {
    // A list lead-in and dated sentences name no title or organisation.
    const auto p = PositionsOf("Senior Engineer, Fabrikam Inc.\t2018 – 2022\n"
                               "2021 Open Source Awards winner:\n"
                               "Best tool of the year\n"
                               "Featured in the weekly review\n"
                               "Received the bonus for the years 2019-2020.\n");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].employer, QStringLiteral("Fabrikam Inc."));
}

TEST(Positions, ACityNameWhereTheEmployersStand) {
    const auto p = PositionsOf("Data Engineer\nFabrikam Ltd\t2021 – 2023\n• Built pipelines.\n"
                               "Intern Engineer IA\nLincoln\t2019 – 2020\n• Tested models.\n");
    ASSERT_EQ(p.size(), 2u);
    ExpectNames(p[1], "Intern Engineer IA", "Lincoln");
}

TEST(Positions, AYearWrappedOntoItsOwnLineIsNoPosition) {
    const auto p = PositionsOf("Account Executive\nHubSpot, Dublin\nSep 2017 – Jan 2021\n"
                               "Mid-market sales across DACH and Nordics; 128% of quota in\n"
                               "2019.\n");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].employer, QStringLiteral("HubSpot"));
}

TEST(Positions, ThePlaceBesideTheDatesIsNoEmployer) {
    const auto p = PositionsOf("Logistics Manager — DHL Supply Chain\n"
                               "March 2019 – Present · Błonie\n"
                               "Run a multi-user warehouse with 220 staff.\n");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].title, QStringLiteral("Logistics Manager"));
    EXPECT_EQ(p[0].employer, QStringLiteral("DHL Supply Chain"));
}

TEST(Positions, TitleUnderTheEmployerAndDatesLine) {
    // The last bullet of the entry before, without its bullet sign, is no title.
    const auto p = PositionsOf("Northwind Traders, Billing, Remote\tMay 2021 – Current\n"
                               "Staff Platform Engineer\n"
                               "Moved the invoices to a queue\n"
                               "Coached the newer people on the team\n"
                               "Contoso Pharma, Research IT, Boston, MA\tJune 2017 – April 2021\n"
                               "Senior Developer\n"
                               "Wrote the lab scheduling tool\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].title, QStringLiteral("Staff Platform Engineer"));
    EXPECT_EQ(p[0].employer, QStringLiteral("Northwind Traders"));
    EXPECT_EQ(p[1].title, QStringLiteral("Senior Developer"));
    EXPECT_EQ(p[1].employer, QStringLiteral("Contoso Pharma"));
}

TEST(Positions, LabelledFieldsUnderTheDates) {
    const auto p = PositionsOf("06.2020 - obecnie  FABRIKAM SA\n"
                               "Projekty dla klientów z branży handlu\n"
                               "Stanowisko: Młodszy Tester\n"
                               "01.2018 - 05.2020  WOODGROVE BANK\n"
                               "Obsługa klienta indywidualnego\n"
                               "Stanowisko: Doradca\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].title, QStringLiteral("Młodszy Tester"));
    EXPECT_EQ(p[0].employer, QStringLiteral("FABRIKAM SA"));
    EXPECT_TRUE(p[0].end.present);
    EXPECT_EQ(p[1].title, QStringLiteral("Doradca"));
    EXPECT_EQ(p[1].employer, QStringLiteral("WOODGROVE BANK"));
}

TEST(Positions, LabelledFieldsAboveTheDates) {
    const auto p =
        PositionsOf("Rol: Kok\nWerkgever: Brasserie Noord\nPeriode: 2016 – 2019\n"
                    "Rol: Zelfstandig kok\nWerkgever: Eigen zaak\nPeriode: 2012 – 2016\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].title, QStringLiteral("Kok"));
    EXPECT_EQ(p[0].employer, QStringLiteral("Brasserie Noord"));
    EXPECT_EQ(p[1].title, QStringLiteral("Zelfstandig kok"));
    EXPECT_EQ(p[1].employer, QStringLiteral("Eigen zaak"));
}

TEST(Positions, NotesAndWebAddressesAreNoEmployers) {
    const auto p = PositionsOf("Senior Lecturer in Hydrology (60% FTE)\tMarch 2015 – July 2019\n"
                               "Tailspin University\n"
                               "Taught two courses on river basins.\n"
                               "Data Analyst (Contract)\t2012 – 2015\n"
                               "https://example.org\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].title, QStringLiteral("Senior Lecturer in Hydrology"));
    EXPECT_EQ(p[0].employer, QStringLiteral("Tailspin University"));
    EXPECT_EQ(p[1].title, QStringLiteral("Data Analyst"));
    EXPECT_TRUE(p[1].employer.isEmpty() || p[1].employer == QStringLiteral("Tailspin University"));
}

TEST(Positions, EmployerAndTitleInTheFirstSentenceUnderTheDates) {
    const auto p = PositionsOf("02/2018 - presente\n"
                               "Adventure Works, desarrollador web senior. Mantiene la tienda en "
                               "línea y los servicios de pago, con pruebas automáticas y "
                               "despliegue continuo en la nube.\n");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].employer, QStringLiteral("Adventure Works"));
    EXPECT_EQ(p[0].title, QStringLiteral("desarrollador web senior"));
}

TEST(Positions, TitleAndEmployerRunTogetherInCapitals) {
    const auto p = PositionsOf("03/2021 - CURRENT - LYON, FRANCE\n"
                               "MANAGING PARTNER NORTHWIND CAPITAL\n"
                               "Early stage fund for industrial start-ups.\n"
                               "2017 - 2021\n"
                               "SOFTWARE ARCHITECT FABRIKAM\n"
                               "Interim head of engineering for a document management product "
                               "and its\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].title, QStringLiteral("MANAGING PARTNER"));
    EXPECT_EQ(p[0].employer, QStringLiteral("NORTHWIND CAPITAL"));
    EXPECT_EQ(p[1].title, QStringLiteral("SOFTWARE ARCHITECT"));
    EXPECT_EQ(p[1].employer, QStringLiteral("FABRIKAM"));
}

TEST(Positions, DatedLinesWithoutNamesAreNoPositions) {
    EXPECT_TRUE(PositionsOf("2019 – 2020\n2017 – 2018\n").empty());
}

TEST(Positions, NamesUnderBareDateLines) {
    // The place closing one entry stands above the next dates; a title wrapped onto a second
    // line starts in lower case.
    const auto p = PositionsOf("03/2021 – 09/2022\n"
                               "Werkstudent im Bereich Datenanalyse\n"
                               "und Qualitätssicherung\n"
                               "Contoso GmbH\n"
                               "• Auswertung von Messreihen\n"
                               "Hamburg, Germany\n"
                               "07/2018 – 02/2021\n"
                               "Software Engineer\n"
                               "Fabrikam Labs\n"
                               "• Built the billing service.\n");
    ASSERT_EQ(p.size(), 2u);
    ExpectNames(p[0], "Werkstudent im Bereich Datenanalyse und Qualitätssicherung", "Contoso GmbH");
    ExpectNames(p[1], "Software Engineer", "Fabrikam Labs");
}

TEST(Positions, LightMarkupOfTextResumes) {
    const auto p =
        PositionsOf("*Web Developer, UX* at https://northwind.example[Northwind Traders]\n"
                    "^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^\n"
                    "_June 2011 - May 2013_ (2 years)\n"
                    "Built the shop front and its search.\n"
                    "**Support Engineer** at [Tailspin Toys](https://tailspin.example)\n"
                    "_2009 - 2011_\n");
    ASSERT_EQ(p.size(), 2u);
    ExpectNames(p[0], "Web Developer, UX", "Northwind Traders");
    ExpectNames(p[1], "Support Engineer", "Tailspin Toys");
}

TEST(Positions, LongFirstSentenceWithTheLegalName) {
    const auto p =
        PositionsOf("08/2014 - 06/2015\n"
                    "Wingtip (Wingtip Sistemas Digitales S.A.), analista de interfaces "
                    "web senior. Lideró el proyecto de la aplicación móvil del cliente.\n");
    ASSERT_EQ(p.size(), 1u);
    ExpectNames(p[0], "analista de interfaces web senior", "Wingtip");
}

TEST(Positions, OrganisationUnderATitleNamingADepartment) {
    const auto p = PositionsOf("Research Assistant – Department of Hydrology\t04/2022 – 02/2023\n"
                               "Fabrikam University\n"
                               "Field data for two research projects.\n"
                               "Research Assistant – Institute of Geodesy\t03/2020 – 09/2021\n"
                               "Fabrikam University\n");
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].employer, QStringLiteral("Fabrikam University"));
    ExpectNames(p[1], "Research Assistant", "Fabrikam University");
}

TEST(Positions, LabelledEmployerCoversTheRolesUnderIt) {
    const auto p = PositionsOf("Empresa: Contoso Varejo S.A - CVSA\n"
                               "Período: 01/2022 à 04/2022\n"
                               "Operador de caixa\n"
                               "Atendimento ao cliente e fechamento do caixa diário da loja.\n"
                               "Período: 03/2021 à 12/2021\n"
                               "Repositor de loja\n");
    ASSERT_EQ(p.size(), 2u);
    ExpectNames(p[0], "Operador de caixa", "Contoso Varejo S.A");
    ExpectNames(p[1], "Repositor de loja", "Contoso Varejo S.A");
}

TEST(Positions, LabelledStartAndEndAroundTheNames) {
    const auto p = PositionsOf("From: Jan 2013\tContoso Health\tGrand Rapids, MI To: Mar 2014\t"
                               "System Analyst\n"
                               "• Built interfaces between the clinics.\n");
    ASSERT_EQ(p.size(), 1u);
    ExpectNames(p[0], "System Analyst", "Contoso Health");
    EXPECT_EQ(p[0].end.Iso(), QStringLiteral("2014-03"));
}

TEST(Positions, TableRowsWithDurationsAndTerms) {
    // Rows of many words with short cells; "3 Years" and "Part time" name nothing.
    const auto p = PositionsOf("Company\tExperience\tPeriod\tRole\n"
                               "CONTOSO FOODS PRIVATE LIMITED (RETAIL DIVISION)\t3 Years\t2019 – "
                               "Till date\tArea Sales Executive (NORTH ZONE)\n"
                               "FABRIKAM HOME CARE PVT LTD. ( WEST REGION )\t8 Years\t2010 -2018\t"
                               "K.A.M ( NORTH & EAST )\n"
                               "Litware\t1 Year\t2008 – 2010\tSales Officer - Part time\n");
    ASSERT_EQ(p.size(), 3u);
    ExpectNames(p[1], "K.A.M", "FABRIKAM HOME CARE PVT LTD.");
    EXPECT_EQ(p[1].start.Iso(), QStringLiteral("2010"));
    EXPECT_EQ(p[1].end.Iso(), QStringLiteral("2018"));
    ExpectNames(p[2], "Sales Officer", "Litware");
}

TEST(Positions, LongLinesLedByTheirDatesAndAColon) {
    // Long names after "dates:" still head entries; a long dated sentence does not.
    const auto p = PositionsOf(
        "March 2019 – present: Senior Research Fellow in Applied Statistics, Fabrikam Institute "
        "of Marine and Coastal Studies (50% FTE)\n"
        "May 2014 – February 2019: Associate Professor in Applied Statistics, Northwind "
        "University of Science and Technology (80% FTE)\n"
        "2012 – 2013: Led the migration of the archive to a new storage system and trained the "
        "staff of three departments.\n");
    ASSERT_EQ(p.size(), 2u);
    ExpectNames(p[1], "Associate Professor in Applied Statistics",
                "Northwind University of Science and Technology");
    EXPECT_EQ(p[1].end.Iso(), QStringLiteral("2019-02"));
}

TEST(Positions, EmployerLeadsItsLineBeforeTheDepartment) {
    // The other entries lead with the employer; "Billing Services" is a department, and a
    // note inside a name ("Q(t) Analytics") does not cut it into an employer and a department.
    const auto p = PositionsOf("Contoso Systems, Platform, Remote\tMay 2021 – Current\n"
                               "Senior Software Engineer\n"
                               "Fabrikam Technologies, Data Team, Remote\tJune 2019 – April 2021\n"
                               "Software Engineer\n"
                               "Zyvo, Billing Services, Remote\tMarch 2017 – May 2019\n"
                               "Software Engineer\n"
                               "Q(t) Analytics Labs, Remote\tJune 2016 – February 2017\n"
                               "Engineering Intern\n");
    ASSERT_EQ(p.size(), 4u);
    ExpectNames(p[0], "Senior Software Engineer", "Contoso Systems");
    ExpectNames(p[2], "Software Engineer", "Zyvo");
    EXPECT_EQ(p[3].employer, QStringLiteral("Analytics Labs"));
}

TEST(Education, DegreeSchoolAndDateOnOneLine) {
    const auto e =
        ParseEducation(TextLines(QStringLiteral(
                           "Bachelor of Science in Nursing, Northeastern University, Boston, "
                           "MA, 2015\nMSc Data Science, Eindhoven University of Technology, 2018")),
                       Lists());
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].degree, QStringLiteral("Bachelor of Science in Nursing"));
    EXPECT_EQ(e[0].major, QStringLiteral("Nursing"));
    EXPECT_EQ(e[0].school, QStringLiteral("Northeastern University"));
    EXPECT_EQ(e[0].date.Iso(), QStringLiteral("2015"));
    EXPECT_EQ(e[1].school, QStringLiteral("Eindhoven University of Technology"));
}

TEST(Education, SchoolAndDegreeOnSeparateLines) {
    const auto e = ParseEducation(
        TextLines(QStringLiteral("University of Michigan, Ann Arbor, MI\n"
                                 "Bachelor of Science in Chemical Engineering, expected May 2025\n"
                                 "GPA 3.7/4.0\nUniversity of British Columbia | Vancouver, BC\n"
                                 "Bachelor of Applied Science, Civil Engineering | 2014")),
        Lists());
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].degree, QStringLiteral("Bachelor of Science in Chemical Engineering"));
    EXPECT_EQ(e[0].date.Iso(), QStringLiteral("2025-05"));
    EXPECT_EQ(e[1].degree, QStringLiteral("Bachelor of Applied Science, Civil Engineering"));
    EXPECT_EQ(e[1].school, QStringLiteral("University of British Columbia"));
}

TEST(Education, AbbreviationsThatAreAlsoPlacesNeedCapitals) {
    const auto e = ParseEducation(
        TextLines(QStringLiteral("Harvard University, Cambridge, MA\nMA in History, 2012")),
        Lists());
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].degree, QStringLiteral("MA in History"));
    EXPECT_EQ(e[0].location, QStringLiteral("Cambridge"));
}

TEST(Skills, GroupsAndSeparators) {
    const auto s = ParseSkills(TextLines(QStringLiteral(
        "Languages: Python, SQL, R\nTools: Tableau; Excel | Git\n• Node.js (expert)\n"
        "References available on request.")));
    EXPECT_EQ(s, (QStringList{QStringLiteral("Python"), QStringLiteral("SQL"), QStringLiteral("R"),
                              QStringLiteral("Tableau"), QStringLiteral("Excel"),
                              QStringLiteral("Git"), QStringLiteral("Node.js")}));
}

TEST(Languages, CodesAndLevels) {
    const auto l = ParseLanguages(
        TextLines(QStringLiteral("Français (langue maternelle), anglais (courant), Klingon")),
        Lists());
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].code, QStringLiteral("fr"));
    EXPECT_EQ(l[1].code, QStringLiteral("en"));
    EXPECT_EQ(l[1].text, QStringLiteral("anglais (courant)"));
    EXPECT_TRUE(l[2].code.isEmpty());
}

TEST(Certifications, NameAndDate) {
    const auto c =
        ParseCertifications(TextLines(QStringLiteral("• Certified ScrumMaster (CSM), 2015")));
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].name, QStringLiteral("Certified ScrumMaster (CSM)"));
    EXPECT_EQ(c[0].date.Iso(), QStringLiteral("2015"));
}

} // namespace
