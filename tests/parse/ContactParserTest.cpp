// Contact details: names of every shape, addresses of several countries, phones and links.
#include "ContactParser.h"
#include "QStringPrinter.h"
#include "Sections.h"
#include "WordLists.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using namespace zorv::rp;

const WordLists& Lists() {
    return GetWordLists({});
}

ContactDetails ContactOf(const QString& text, const QString& country = {}, bool cleanup = false) {
    return ParseContact(SplitSections(TextLines(text), Lists()), Lists(),
                        ContactOptions{country, cleanup});
}

TEST(PersonNames, GivenMiddleAndFamily) {
    const auto n = ParsePersonName(QStringLiteral("Michael J. Thompson"), Lists());
    ASSERT_FALSE(n.IsEmpty());
    EXPECT_EQ(n.given, QStringList{QStringLiteral("Michael")});
    EXPECT_EQ(n.middle, QStringLiteral("J."));
    EXPECT_EQ(n.family, QStringLiteral("Thompson"));
}

TEST(PersonNames, AllCapitalsAndHyphensAreTitleCased) {
    const auto n = ParsePersonName(QStringLiteral("JEAN-PIERRE O'NEIL"), Lists());
    EXPECT_EQ(n.formatted, QStringLiteral("Jean-Pierre O'Neil"));
    EXPECT_EQ(n.family, QStringLiteral("O'Neil"));
}

TEST(PersonNames, FamilyNameInCapitalsFirst) {
    const auto n = ParsePersonName(QStringLiteral("DUBOIS Jean-Pierre"), Lists());
    EXPECT_EQ(n.given, QStringList{QStringLiteral("Jean-Pierre")});
    EXPECT_EQ(n.family, QStringLiteral("Dubois"));
    EXPECT_EQ(n.formatted, QStringLiteral("Jean-Pierre Dubois"));
}

TEST(PersonNames, ParticlesBelongToTheFamilyName) {
    const auto n = ParsePersonName(QStringLiteral("Pieter van der Berg"), Lists());
    EXPECT_EQ(n.family, QStringLiteral("Berg"));
    EXPECT_EQ(n.familyPrefix, QStringLiteral("van der"));
    EXPECT_EQ(n.formatted, QStringLiteral("Pieter van der Berg"));
    const auto caps = ParsePersonName(QStringLiteral("THOMAS VAN DAM"), Lists());
    EXPECT_EQ(caps.formatted, QStringLiteral("Thomas van Dam"));
}

TEST(PersonNames, DiacriticsAreKept) {
    const auto n = ParsePersonName(QStringLiteral("María José García López"), Lists());
    EXPECT_EQ(n.formatted, QStringLiteral("María José García López"));
    EXPECT_EQ(n.given.front(), QStringLiteral("María"));
}

TEST(PersonNames, AffixesAreSeparated) {
    const auto n = ParsePersonName(QStringLiteral("Dr. Amelia Clarke, MBBS MRCP"), Lists());
    EXPECT_EQ(n.formatted, QStringLiteral("Amelia Clarke"));
    EXPECT_EQ(n.formsOfAddress, QStringList{QStringLiteral("Dr.")});
    EXPECT_EQ(n.qualifications, (QStringList{QStringLiteral("MBBS"), QStringLiteral("MRCP")}));
    const auto jr = ParsePersonName(QStringLiteral("Jonathan P. Whitaker, Jr., Esq."), Lists());
    EXPECT_EQ(jr.generations, QStringList{QStringLiteral("Jr.")});
    EXPECT_EQ(jr.family, QStringLiteral("Whitaker"));
}

TEST(PersonNames, OtherLinesAreNoNames) {
    for (const char* text :
         {"Senior Software Engineer", "Curriculum Vitae", "Paris, France", "john@example.com",
          "PROFESSIONAL EXPERIENCE", "Acme Corp GmbH", "12 Main Street", "University of Leeds",
          "a b", "Human Resources", "Warehouse Operative", "Cover Letter", "Persönliche Angaben"})
        EXPECT_TRUE(ParsePersonName(QString::fromUtf8(text), Lists()).IsEmpty()) << text;
}

TEST(Addresses, NorthAmerica) {
    auto a = ParseAddressLine(QStringLiteral("1450 Oak Street, San Francisco, CA 94117"), Lists());
    EXPECT_EQ(a.municipality, QStringLiteral("San Francisco"));
    EXPECT_EQ(a.region, QStringLiteral("CA"));
    EXPECT_EQ(a.postalCode, QStringLiteral("94117"));
    EXPECT_EQ(a.countryCode, QStringLiteral("US"));
    EXPECT_EQ(a.addressLines, QStringList{QStringLiteral("1450 Oak Street")});
    a = ParseAddressLine(QStringLiteral("Montréal (Québec) H3B 4W8"), Lists());
    EXPECT_EQ(a.municipality, QStringLiteral("Montréal"));
    EXPECT_EQ(a.postalCode, QStringLiteral("H3B 4W8"));
    EXPECT_EQ(a.countryCode, QStringLiteral("CA"));
}

TEST(Addresses, Europe) {
    auto a =
        ParseAddressLine(QStringLiteral("12 rue de la Roquette, 75011 Paris, France"), Lists());
    EXPECT_EQ(a.postalCode, QStringLiteral("75011"));
    EXPECT_EQ(a.municipality, QStringLiteral("Paris"));
    EXPECT_EQ(a.countryCode, QStringLiteral("FR"));
    a = ParseAddressLine(QStringLiteral("1016 DV Amsterdam"), Lists());
    EXPECT_EQ(a.postalCode, QStringLiteral("1016 DV"));
    EXPECT_EQ(a.countryCode, QStringLiteral("NL"));
    a = ParseAddressLine(QStringLiteral("42 Albert Road, Manchester M19 2FP"), Lists());
    EXPECT_EQ(a.postalCode, QStringLiteral("M19 2FP"));
    EXPECT_EQ(a.municipality, QStringLiteral("Manchester"));
    EXPECT_EQ(a.countryCode, QStringLiteral("GB"));
    a = ParseAddressLine(QStringLiteral("D-10115 Berlin"), Lists());
    EXPECT_EQ(a.countryCode, QStringLiteral("DE"));
}

TEST(Addresses, PostalCodesOfOtherShapes) {
    auto a = ParseAddressLine(QStringLiteral("ul. Puławska 145, 02-715 Warszawa, Poland"), Lists());
    EXPECT_EQ(a.postalCode, QStringLiteral("02-715"));
    EXPECT_EQ(a.municipality, QStringLiteral("Warszawa"));
    EXPECT_EQ(a.countryCode, QStringLiteral("PL"));
    a = ParseAddressLine(QStringLiteral("411 36 Göteborg, Sweden"), Lists());
    EXPECT_EQ(a.postalCode, QStringLiteral("411 36"));
    EXPECT_EQ(a.municipality, QStringLiteral("Göteborg"));
    a = ParseAddressLine(QStringLiteral("7550000 Santiago, Chile"), Lists());
    EXPECT_EQ(a.postalCode, QStringLiteral("7550000"));
    EXPECT_EQ(a.countryCode, QStringLiteral("CL"));
    a = ParseAddressLine(QStringLiteral("88 Adelaide Street, Brisbane QLD 4000"), Lists());
    EXPECT_EQ(a.municipality, QStringLiteral("Brisbane"));
    EXPECT_EQ(a.region, QStringLiteral("QLD"));
    EXPECT_EQ(a.postalCode, QStringLiteral("4000"));
    EXPECT_EQ(a.countryCode, QStringLiteral("AU"));
    a = ParseAddressLine(QStringLiteral("São Paulo – SP, 01310-200, Brazil"), Lists());
    EXPECT_EQ(a.municipality, QStringLiteral("São Paulo"));
    EXPECT_EQ(a.region, QStringLiteral("SP"));
    EXPECT_EQ(a.postalCode, QStringLiteral("01310-200"));
    EXPECT_EQ(a.countryCode, QStringLiteral("BR"));
    a = ParseAddressLine(QStringLiteral("14 Cuba Street, Wellington 6011, New Zealand"), Lists());
    EXPECT_EQ(a.municipality, QStringLiteral("Wellington"));
    EXPECT_EQ(a.postalCode, QStringLiteral("6011"));
    EXPECT_EQ(a.countryCode, QStringLiteral("NZ"));
    a = ParseAddressLine(QStringLiteral("Dublin 2, Ireland"), Lists());
    EXPECT_EQ(a.municipality, QStringLiteral("Dublin 2"));
    EXPECT_EQ(a.countryCode, QStringLiteral("IE"));
}

TEST(Addresses, India) {
    const auto a =
        ParseAddressLine(QStringLiteral("Koramangala, Bangalore, Karnataka 560034"), Lists());
    EXPECT_EQ(a.municipality, QStringLiteral("Bangalore"));
    EXPECT_EQ(a.region, QStringLiteral("Karnataka"));
    EXPECT_EQ(a.postalCode, QStringLiteral("560034"));
    EXPECT_EQ(a.countryCode, QStringLiteral("IN"));
}

TEST(Addresses, StreetOnTheLineBefore) {
    const auto c = ContactOf(QStringLiteral("Anna Müller\nHauptstraße 15\n10827 Berlin\n"));
    EXPECT_EQ(c.address.municipality, QStringLiteral("Berlin"));
    EXPECT_EQ(c.address.addressLines, QStringList{QStringLiteral("Hauptstraße 15")});
    EXPECT_EQ(c.address.countryCode, QStringLiteral("DE"));
}

TEST(Addresses, CountryAloneOnTheNextLine) {
    const auto c = ContactOf(QStringLiteral(
        "Aisha Bello\naisha@example.com\n14 Adeola Odeku Street\nVictoria Island, Lagos\n"
        "Nigeria\n"));
    EXPECT_EQ(c.address.municipality, QStringLiteral("Lagos"));
    EXPECT_EQ(c.address.countryCode, QStringLiteral("NG"));
}

TEST(Phones, WrittenAsIsWithoutCleanup) {
    const auto c = ContactOf(QStringLiteral("Kim Lee\nPhone: (415) 782-3491\n"));
    ASSERT_EQ(c.phones.size(), 1u);
    EXPECT_EQ(c.phones[0].formatted, QStringLiteral("(415) 782-3491"));
    EXPECT_EQ(c.phones[0].digits, QStringLiteral("14157823491"));
}

TEST(Phones, CleanupGivesTheNationalFormatOfTheResumeCountry) {
    const auto fr = ContactOf(QStringLiteral("Jean Dubois\nTél. : 06.12.34.56.78\n"),
                              QStringLiteral("FR"), true);
    ASSERT_EQ(fr.phones.size(), 1u);
    EXPECT_EQ(fr.phones[0].formatted, QStringLiteral("06 12 34 56 78"));
    // Cleaning up never drops the country prefix the candidate wrote.
    for (const char* written : {"+33 6 12 34 56 78", "0033 612345678", "(+33) 612 345 678"}) {
        const auto c = ContactOf(QStringLiteral("Jean Dubois\nTél. : ") +
                                     QString::fromUtf8(written) + QLatin1Char('\n'),
                                 QStringLiteral("FR"), true);
        ASSERT_EQ(c.phones.size(), 1u) << written;
        EXPECT_EQ(c.phones[0].formatted, QStringLiteral("+33 6 12 34 56 78")) << written;
    }
    const auto us = ContactOf(QStringLiteral("Kim Lee\n415.782.3491\n"), {}, true);
    ASSERT_EQ(us.phones.size(), 1u);
    EXPECT_EQ(us.phones[0].formatted, QStringLiteral("(415) 782-3491"));
    // A number of another country keeps its international form.
    const auto abroad =
        ContactOf(QStringLiteral("Kim Lee\n+44 20 7123 4567\n"), QStringLiteral("US"), true);
    ASSERT_EQ(abroad.phones.size(), 1u);
    EXPECT_EQ(abroad.phones[0].formatted, QStringLiteral("+44 20 7123 4567"));
}

TEST(Phones, TheAddressCountryParsesNationalNumbers) {
    const auto c =
        ContactOf(QStringLiteral("Anna Müller\n10827 Berlin, Deutschland\n030 12345678\n"));
    ASSERT_EQ(c.phones.size(), 1u);
    EXPECT_EQ(c.phones[0].digits, QStringLiteral("493012345678"));
}

TEST(Phones, LabelsGiveTheKind) {
    const auto c = ContactOf(
        QStringLiteral("Kim Lee\nTel 404-572-6600 · Fax 404-572-6699 · Cell: 404-572-6610\n"));
    ASSERT_EQ(c.phones.size(), 3u);
    EXPECT_EQ(c.phones[0].kind, PhoneKind::Telephone);
    EXPECT_EQ(c.phones[1].kind, PhoneKind::Fax);
    EXPECT_EQ(c.phones[2].kind, PhoneKind::Mobile);
}

TEST(Phones, ThePostalCodeIsNoPhone) {
    const auto c = ContactOf(QStringLiteral(
        "Ana Souza\nSão Paulo – SP, 01310-200, Brazil\n+55 11 98765-4321\nana@example.com\n"));
    ASSERT_EQ(c.phones.size(), 1u);
    EXPECT_EQ(c.address.postalCode, QStringLiteral("01310-200"));
}

// Spaced dashes between the details (a scan's middle dots) run numbers into one another.
TEST(Phones, DetailsPartedBySpacedDashes) {
    auto c = ContactOf(
        QStringLiteral("Kim Lee\nColumbus, OH 43215 - (614) 555-0142 - kim.lee@example.com\n"));
    ASSERT_EQ(c.phones.size(), 1u);
    EXPECT_EQ(c.phones[0].formatted, QStringLiteral("(614) 555-0142"));
    c = ContactOf(QStringLiteral("Kim Lee - 12 Mill Lane, Leeds LS1 4AP - 0113 496 0521 - "
                                 "07400 654321 - kim.lee@example.co.uk\n"));
    ASSERT_EQ(c.phones.size(), 2u);
    EXPECT_EQ(c.phones[1].digits, QStringLiteral("447400654321"));
}

TEST(Phones, YearsAndDatesAreNoPhones) {
    const auto c = ContactOf(QStringLiteral("Kim Lee\nkim@example.com\n2015 - 2019\n"
                                            "01/07/2014 to 31/05/2018\n94117\n"));
    EXPECT_TRUE(c.phones.empty());
}

TEST(OnlineAddresses, EmailsAndLinksAreSeparate) {
    const auto c =
        ContactOf(QStringLiteral("Kim Lee | kim.lee@example.com | linkedin.com/in/kimlee\n"
                                 "github.com/kimlee, https://kimlee.dev.\n"));
    EXPECT_EQ(c.emails, QStringList{QStringLiteral("kim.lee@example.com")});
    EXPECT_EQ(c.webAddresses, (QStringList{QStringLiteral("linkedin.com/in/kimlee"),
                                           QStringLiteral("github.com/kimlee"),
                                           QStringLiteral("https://kimlee.dev")}));
}

TEST(Phones, LabelsOfManyLanguagesAndNumbersOutsideTheHeader) {
    const auto c = ContactOf(QStringLiteral("Lars Holm\nSUMMARY\nEngineer.\nSKILLS\nC++\n"
                                            "Tlf. 20 12 34 56\nHandy: +49 151 23456789\n"
                                            "Тел.: +7 912 345-67-89\n"),
                             QStringLiteral("DK"));
    ASSERT_EQ(c.phones.size(), 3u);
    EXPECT_EQ(c.phones[0].digits, QStringLiteral("4520123456"));
    EXPECT_EQ(c.phones[1].kind, PhoneKind::Mobile);
    EXPECT_EQ(c.phones[2].digits, QStringLiteral("79123456789"));
}

TEST(Phones, CountryOfTheEmailDomainReadsNationalNumbers) {
    const auto c = ContactOf(QStringLiteral("Jean Dubois\njean@exemple.fr\n06 12 34 56 78\n"));
    ASSERT_EQ(c.phones.size(), 1u);
    EXPECT_EQ(c.phones[0].digits, QStringLiteral("33612345678"));
    // A domain bought for its letters says nothing of the country.
    const auto io = ContactOf(QStringLiteral("Kim Lee\nkim@startup.io\n(415) 782-3491\n"));
    ASSERT_EQ(io.phones.size(), 1u);
    EXPECT_EQ(io.phones[0].digits, QStringLiteral("14157823491"));
}

TEST(OnlineAddresses, ObfuscatedEmails) {
    EXPECT_EQ(ContactOf(QStringLiteral("Kim Lee\nkim.lee [at] example [dot] org\n")).emails,
              QStringList{QStringLiteral("kim.lee@example.org")});
    EXPECT_EQ(ContactOf(QStringLiteral("Kim Lee\nkim at example dot co dot uk\n")).emails,
              QStringList{QStringLiteral("kim@example.co.uk")});
    EXPECT_EQ(ContactOf(QStringLiteral("Kim Lee\nkim(at)example.org\n")).emails,
              QStringList{QStringLiteral("kim@example.org")});
    // Prose is no address.
    EXPECT_TRUE(
        ContactOf(QStringLiteral("Kim Lee\nSpoke at example.org twice\n")).emails.isEmpty());
}

TEST(Addresses, CityAndCountryOfAnyCountryFromTheWorldLists) {
    EXPECT_EQ(ParseAddressLine(QStringLiteral("Ankara, Türkiye"), Lists()).countryCode,
              QStringLiteral("TR"));
    const auto ir = ContactOf(QStringLiteral("Sara Ahmadi\nTabriz, Iran\n"));
    EXPECT_EQ(ir.address.municipality, QStringLiteral("Tabriz"));
    EXPECT_EQ(ir.address.countryCode, QStringLiteral("IR"));
    // A known city alone, with the street and number in front of it.
    const auto ch = ContactOf(QStringLiteral("Lea Meier\nAdresse: Musterweg 12 Luzern, Schweiz\n"));
    EXPECT_EQ(ch.address.municipality, QStringLiteral("Luzern"));
    EXPECT_EQ(ch.address.countryCode, QStringLiteral("CH"));
    const auto pt =
        ContactOf(QStringLiteral("Rui Costa\nMorada: Rua das Flores 12, 4050-262 PORTO\n"));
    EXPECT_EQ(pt.address.municipality, QStringLiteral("PORTO"));
    EXPECT_EQ(pt.address.postalCode, QStringLiteral("4050-262"));
    EXPECT_EQ(pt.address.addressLines, QStringList{QStringLiteral("Rua das Flores 12")});
    // A street is no city.
    const auto us = ContactOf(QStringLiteral("Kim Lee\n1200 Maple St.\nEugene, OR 97401\n"));
    EXPECT_EQ(us.address.municipality, QStringLiteral("Eugene"));
}

TEST(Addresses, StreetAndCityInChunksOfOneLine) {
    const auto c = ContactOf(
        QStringLiteral("Anna Berger\nLindenweg 3 | 50667 Köln | anna@example.de | 0221 1234567\n"));
    EXPECT_EQ(c.address.municipality, QStringLiteral("Köln"));
    EXPECT_EQ(c.address.countryCode, QStringLiteral("DE"));
    EXPECT_EQ(c.address.addressLines, QStringList{QStringLiteral("Lindenweg 3")});
}

TEST(Addresses, IconGlyphsMarkContactLinesAnywhere) {
    const auto c = ContactOf(QStringLiteral("Kim Lee\nEXPERIENCE\nEngineer at Acme, 2019 - 2021\n"
                                            "\uF3C5 Lyon, France\t\uF09B kimlee\n"));
    EXPECT_EQ(c.address.municipality, QStringLiteral("Lyon"));
    EXPECT_EQ(c.address.countryCode, QStringLiteral("FR"));
}

TEST(NameSearch, NameFieldsOfGivenAndFamilyName) {
    EXPECT_EQ(
        ContactOf(QStringLiteral("Lebenslauf\nName: Keller\nVorname: Anna Lena\n")).name.formatted,
        QStringLiteral("Anna Lena Keller"));
    EXPECT_EQ(
        ContactOf(QStringLiteral("CV\nFirst name: Tom\nLast name: Hardy-Smith\n")).name.formatted,
        QStringLiteral("Tom Hardy-Smith"));
}

TEST(NameSearch, ContactBlockAtTheBottom) {
    const auto c = ContactOf(QStringLiteral("SUMMARY\nAccountant with twelve years of audit.\n"
                                            "EXPERIENCE\nTax Manager, Grant Thornton, 2017 - 2020\n"
                                            "CONTACT\nDavid Kowalski\nd.k@example.com\n"));
    EXPECT_EQ(c.name.formatted, QStringLiteral("David Kowalski"));
}

// Markdown CVs saved as text keep their markup: headings, emphasis, bullets and links.
TEST(MarkdownText, MarkupIsNoPartOfTheDetails) {
    const auto c = ContactOf(QStringLiteral(
        "# Maren Holtvik\n\n"
        "**Email:** [maren@example.no](mailto:maren@example.no) | **Location:** Bergen, Norway\n"
        "- Phone: +47 912 34 567\n"
        "[LinkedIn](https://www.linkedin.com/in/mholtvik) | "
        "[github.com/mholtvik](https://github.com/mholtvik)\n\n## Experience\n"));
    EXPECT_EQ(c.name.formatted, QStringLiteral("Maren Holtvik"));
    EXPECT_EQ(c.emails, QStringList{QStringLiteral("maren@example.no")});
    EXPECT_EQ(c.address.municipality, QStringLiteral("Bergen"));
    EXPECT_EQ(c.address.countryCode, QStringLiteral("NO"));
    ASSERT_EQ(c.phones.size(), 1u);
    EXPECT_EQ(c.phones[0].digits, QStringLiteral("4791234567"));
    EXPECT_EQ(c.webAddresses, (QStringList{QStringLiteral("https://www.linkedin.com/in/mholtvik"),
                                           QStringLiteral("https://github.com/mholtvik")}));
}

TEST(MarkdownText, SingleEmphasisAndEscapes) {
    const auto c =
        ContactOf(QStringLiteral("*Jane Doe*\njane\\_doe@example.org\n_Lyon, France_\n"));
    EXPECT_EQ(c.name.formatted, QStringLiteral("Jane Doe"));
    EXPECT_EQ(c.emails, QStringList{QStringLiteral("jane_doe@example.org")});
    EXPECT_EQ(c.address.municipality, QStringLiteral("Lyon"));
}

TEST(MarkdownText, AJobTitleHeadingIsNoName) {
    const auto c = ContactOf(QStringLiteral("# Senior Product Designer\n**Hannah Okafor**\n"
                                            "* **City:** Lagos, Nigeria\n"));
    EXPECT_EQ(c.name.formatted, QStringLiteral("Hannah Okafor"));
    EXPECT_EQ(c.address.municipality, QStringLiteral("Lagos"));
}

// Job portals write "Label : value" fields, two to a line.
TEST(PortalFields, LabelledFieldsInColumns) {
    const auto c = ContactOf(
        QStringLiteral("RESUME\nPersonal Details\n"
                       "Full Name : Suresh Kumar            Gender : Male\n"
                       "Contact No : 98765 43210            E-Mail : suresh.k@example.com\n"
                       "Current Location : Chennai          Preferred Location : Bangalore\n"),
        QStringLiteral("IN"));
    EXPECT_EQ(c.name.formatted, QStringLiteral("Suresh Kumar"));
    EXPECT_EQ(c.address.municipality, QStringLiteral("Chennai"));
    ASSERT_EQ(c.phones.size(), 1u);
    EXPECT_EQ(c.phones[0].digits, QStringLiteral("919876543210"));
}

TEST(Phones, NumberLabelsOfPortalsAndMoreLanguages) {
    const auto c = ContactOf(QStringLiteral("Pedro Alves\nSUMMARY\nNurse.\nSKILLS\nCare\n"
                                            "Telemóvel: 912 345 678\nMobile No.: 913 456 789\n"),
                             QStringLiteral("PT"));
    ASSERT_EQ(c.phones.size(), 2u);
    EXPECT_EQ(c.phones[0].kind, PhoneKind::Mobile);
    EXPECT_EQ(c.phones[1].digits, QStringLiteral("351913456789"));
}

TEST(Addresses, CityRegionAndCountryWithoutCommas) {
    const auto us = ContactOf(QStringLiteral("Emily Carter\nPortland OR USA\n"));
    EXPECT_EQ(us.address.municipality, QStringLiteral("Portland"));
    EXPECT_EQ(us.address.region, QStringLiteral("OR"));
    EXPECT_EQ(us.address.countryCode, QStringLiteral("US"));
    const auto au = ContactOf(QStringLiteral("Liam Walsh\nBrisbane QLD Australia\n"));
    EXPECT_EQ(au.address.municipality, QStringLiteral("Brisbane"));
    EXPECT_EQ(au.address.countryCode, QStringLiteral("AU"));
    const auto no = ContactOf(QStringLiteral("Ola Nordmann\nTrondheim Norway\n"));
    EXPECT_EQ(no.address.municipality, QStringLiteral("Trondheim"));
    EXPECT_EQ(no.address.countryCode, QStringLiteral("NO"));
    // A region abbreviation of another country than the city's is none.
    EXPECT_TRUE(ParseAddressLine(QStringLiteral("Pune IN"), Lists()).region.isEmpty());
    // "New Jersey" ends with a country's name but names no city before it.
    EXPECT_TRUE(ParseAddressLine(QStringLiteral("New Jersey"), Lists()).countryCode != "JE");
}

TEST(Addresses, ProvinceCodeAfterThePostalCode) {
    const Address a = ParseAddressLine(QStringLiteral("Via Roma 10, 20121 Milano (MI)"), Lists());
    EXPECT_EQ(a.municipality, QStringLiteral("Milano"));
    EXPECT_EQ(a.region, QStringLiteral("MI"));
    EXPECT_EQ(a.countryCode, QStringLiteral("IT"));
}

TEST(Addresses, PlacesOfBirthAndEntryLocationsAreNoHome) {
    EXPECT_TRUE(ContactOf(QStringLiteral("Lucía Romero\nNacida en 1990 en Sevilla (España).\n"))
                    .address.IsEmpty());
    const auto c = ContactOf(QStringLiteral("Kim Lee\nPlace of birth: Graz, Austria\n"
                                            "Home: Lyon, France\n"));
    EXPECT_EQ(c.address.municipality, QStringLiteral("Lyon"));
    // A pin before each employer's town marks entries, not the candidate's home.
    EXPECT_TRUE(ContactOf(QStringLiteral("Kim Lee\nEXPERIENCE\nEngineer, Acme\t\uF3C5 Madrid\n"
                                         "Analyst, Beta\t\uF3C5 Madrid\n"))
                    .address.IsEmpty());
}

TEST(Addresses, SignsOfIconsAndStateAfterASlash) {
    // Icon fonts without Unicode names leave "+" or "#" before the city.
    const auto se = ContactOf(QStringLiteral("Kim Lee\nkim@example.org | + Halmstad, Sverige\n"));
    EXPECT_EQ(se.address.municipality, QStringLiteral("Halmstad"));
    EXPECT_EQ(se.address.countryCode, QStringLiteral("SE"));
    const Address br = ParseAddressLine(QStringLiteral("Araras/SP. Brazil"), Lists());
    EXPECT_EQ(br.municipality, QStringLiteral("Araras"));
    EXPECT_EQ(br.region, QStringLiteral("SP"));
    EXPECT_EQ(br.countryCode, QStringLiteral("BR"));
}

TEST(NameSearch, NameBesideATitleOrAfterAnIntroduction) {
    EXPECT_EQ(ContactOf(QStringLiteral("# John Carter — Senior Engineer\njc@example.com\n"))
                  .name.formatted,
              QStringLiteral("John Carter"));
    EXPECT_EQ(ContactOf(QStringLiteral("Resume of Rahul Sharma\nrs@example.in\n")).name.formatted,
              QStringLiteral("Rahul Sharma"));
}

TEST(Addresses, StateCodeAfterTheCityWhereTheCountryIsNamed) {
    const Address a = ParseAddressLine(QStringLiteral("Campinas, SP, Brasil"), Lists());
    EXPECT_EQ(a.municipality, QStringLiteral("Campinas"));
    EXPECT_EQ(a.region, QStringLiteral("SP"));
    EXPECT_EQ(a.countryCode, QStringLiteral("BR"));
}

TEST(Addresses, BasedInWithoutALabel) {
    const auto c = ContactOf(QStringLiteral("Nora Lund\nBased in Gothenburg, Sweden\n"));
    EXPECT_EQ(c.address.municipality, QStringLiteral("Gothenburg"));
    EXPECT_EQ(c.address.countryCode, QStringLiteral("SE"));
}

TEST(Addresses, EmojiGluedToTheDetails) {
    const auto c = ContactOf(QStringLiteral(
        "Tom Whitfield\n📞+44 7911 123456   ✉️tom@example.co.uk   📍Leeds, UK\n"));
    EXPECT_EQ(c.address.municipality, QStringLiteral("Leeds"));
    EXPECT_EQ(c.emails, QStringList{QStringLiteral("tom@example.co.uk")});
    ASSERT_EQ(c.phones.size(), 1u);
    EXPECT_EQ(c.phones[0].formatted, QStringLiteral("+44 7911 123456"));
}

// A layout of lines of the given sizes, one under the other on page one.
DocumentLayout LayoutOf(const std::vector<std::pair<QString, double>>& lines) {
    constexpr double kLineGap = 1.2;
    DocumentLayout layout;
    double top = 0;
    for (const auto& [text, size] : lines) {
        layout.lines.push_back(LayoutLine{text, size, false, 0, top, 0, {}});
        top += size * kLineGap;
    }
    return layout;
}

ContactDetails ContactWithLayout(const QString& text, const DocumentLayout& layout) {
    return ParseContact(SplitSections(TextLines(text), Lists()), Lists(),
                        ContactOptions{{}, false, &layout});
}

TEST(LayoutSignals, TheLargestTextAtTheTopIsTheName) {
    const QString text = QStringLiteral("Professional Summary\nKim Lee\nEngineer.\n");
    const DocumentLayout layout = LayoutOf({{QStringLiteral("Professional Summary"), 12},
                                            {QStringLiteral("Kim Lee"), 24},
                                            {QStringLiteral("Engineer."), 10}});
    EXPECT_EQ(ContactWithLayout(text, layout).name.formatted, QStringLiteral("Kim Lee"));
    // A name set over two lines, and one in small letters.
    const QString body = QStringLiteral("Backend developer with ten years of payment systems");
    const DocumentLayout stacked =
        LayoutOf({{QStringLiteral("MARIA ELENA"), 26}, {QStringLiteral("ROSSI"), 26}, {body, 10}});
    EXPECT_EQ(
        ContactWithLayout(QStringLiteral("MARIA ELENA\nROSSI\n") + body, stacked).name.formatted,
        QStringLiteral("Maria Elena Rossi"));
    const DocumentLayout small =
        LayoutOf({{QStringLiteral("kim lee"), 20}, {QStringLiteral("Data engineer"), 10}});
    EXPECT_EQ(ContactWithLayout(QStringLiteral("kim lee\nData engineer\n"), small).name.formatted,
              QStringLiteral("Kim Lee"));
}

TEST(LayoutSignals, LinksGiveTheEmailAndProfiles) {
    DocumentLayout layout =
        LayoutOf({{QStringLiteral("Kim Lee"), 20}, {QStringLiteral("Email"), 10}});
    layout.lines[1].links = {QStringLiteral("mailto:kim.lee@example.org?subject=Hello"),
                             QStringLiteral("https://www.linkedin.com/in/kimlee")};
    const auto c = ContactWithLayout(QStringLiteral("Kim Lee\nEmail\n"), layout);
    EXPECT_EQ(c.emails, QStringList{QStringLiteral("kim.lee@example.org")});
    EXPECT_EQ(c.webAddresses, QStringList{QStringLiteral("https://www.linkedin.com/in/kimlee")});
}

TEST(LayoutSignals, ANumberOnlyInATelLink) {
    DocumentLayout layout =
        LayoutOf({{QStringLiteral("Kim Lee"), 20}, {QStringLiteral("Call"), 10}});
    layout.lines[1].links = {QStringLiteral("tel:+44%207911%20123456")};
    const auto c = ContactWithLayout(QStringLiteral("Kim Lee\nCall\n"), layout);
    ASSERT_EQ(c.phones.size(), 1u);
    EXPECT_EQ(c.phones[0].digits, QStringLiteral("447911123456"));
}

} // namespace
