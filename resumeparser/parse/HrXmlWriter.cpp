// HR-XML 2.5 output. Element order and required elements follow the Resume schema: every
// PositionHistory has OrgName, Description and StartDate; every PostalAddress a CountryCode;
// every SchoolOrInstitution a schoolType.
#include "HrXmlWriter.h"

#include <QXmlStreamWriter>

namespace zorv::rp {

namespace {

const QString kNs = QStringLiteral("http://ns.hr-xml.org/2007-04-15");

class Writer {
public:
    explicit Writer(QString* out) : w_(out) {
        w_.setAutoFormatting(true);
        w_.setAutoFormattingIndent(2);
    }
    QXmlStreamWriter& x() { return w_; }

    void Text(const QString& name, const QString& value) {
        w_.writeTextElement(name, XmlSafeText(value));
    }

    // A FlexibleDatesType element; a present date becomes StringDate "Present".
    void Date(const QString& name, const ResumeDate& d) {
        w_.writeStartElement(name);
        if (!d.season.isEmpty())
            w_.writeAttribute(QStringLiteral("dateDescription"),
                              XmlSafeText(d.season + QLatin1Char(' ') + QString::number(d.year)));
        if (d.present)
            Text(QStringLiteral("StringDate"), QStringLiteral("Present"));
        else if (d.year > 0 && d.month > 0 && d.day > 0)
            Text(QStringLiteral("AnyDate"), d.Iso());
        else if (d.year > 0 && d.month > 0)
            Text(QStringLiteral("YearMonth"), d.Iso());
        else if (d.year > 0)
            Text(QStringLiteral("Year"), d.Iso());
        else
            Text(QStringLiteral("AnyDate"), QStringLiteral("notKnown"));
        w_.writeEndElement();
    }

private:
    QXmlStreamWriter w_;
};

QString PhoneElement(PhoneKind kind) {
    switch (kind) {
    case PhoneKind::Mobile:
        return QStringLiteral("Mobile");
    case PhoneKind::Fax:
        return QStringLiteral("Fax");
    case PhoneKind::Telephone:
        break;
    }
    return QStringLiteral("Telephone");
}

void WriteName(Writer& w, const PersonNameParts& n) {
    auto& x = w.x();
    x.writeStartElement(QStringLiteral("PersonName"));
    w.Text(QStringLiteral("FormattedName"), n.formatted);
    for (const QString& g : n.given)
        w.Text(QStringLiteral("GivenName"), g);
    if (!n.middle.isEmpty())
        w.Text(QStringLiteral("MiddleName"), n.middle);
    if (!n.family.isEmpty()) {
        x.writeStartElement(QStringLiteral("FamilyName"));
        if (!n.familyPrefix.isEmpty())
            x.writeAttribute(QStringLiteral("prefix"), XmlSafeText(n.familyPrefix));
        x.writeCharacters(XmlSafeText(n.family));
        x.writeEndElement();
    }
    auto affixes = [&](const QStringList& list, const QString& type) {
        for (const QString& a : list) {
            x.writeStartElement(QStringLiteral("Affix"));
            x.writeAttribute(QStringLiteral("type"), type);
            x.writeCharacters(XmlSafeText(a));
            x.writeEndElement();
        }
    };
    affixes(n.formsOfAddress, QStringLiteral("formOfAddress"));
    affixes(n.generations, QStringLiteral("generation"));
    affixes(n.qualifications, QStringLiteral("qualification"));
    x.writeEndElement();
}

// ContactMethod holds at most one of each kind: the first of each goes into the first
// ContactMethod (with the postal address), further ones into more ContactMethods.
void WriteContactMethods(Writer& w, const ContactDetails& c) {
    std::vector<const Phone*> tel, mob, fax;
    for (const Phone& p : c.phones)
        (p.kind == PhoneKind::Mobile ? mob : p.kind == PhoneKind::Fax ? fax : tel).push_back(&p);
    const size_t count =
        std::max({tel.size(), mob.size(), fax.size(), static_cast<size_t>(c.emails.size()),
                  static_cast<size_t>(c.webAddresses.size()),
                  static_cast<size_t>(c.address.IsEmpty() ? 0 : 1)});
    auto& x = w.x();
    for (size_t i = 0; i < count; ++i) {
        x.writeStartElement(QStringLiteral("ContactMethod"));
        for (const auto* list : {&tel, &mob, &fax}) {
            if (i < list->size()) {
                x.writeStartElement(PhoneElement((*list)[i]->kind));
                w.Text(QStringLiteral("FormattedNumber"), (*list)[i]->formatted);
                x.writeEndElement();
            }
        }
        if (i < static_cast<size_t>(c.emails.size()))
            w.Text(QStringLiteral("InternetEmailAddress"), c.emails[i]);
        if (i < static_cast<size_t>(c.webAddresses.size()))
            w.Text(QStringLiteral("InternetWebAddress"), c.webAddresses[i]);
        if (i == 0 && !c.address.IsEmpty()) {
            const Address& a = c.address;
            x.writeStartElement(QStringLiteral("PostalAddress"));
            w.Text(QStringLiteral("CountryCode"), a.countryCode);
            if (!a.postalCode.isEmpty())
                w.Text(QStringLiteral("PostalCode"), a.postalCode);
            if (!a.region.isEmpty())
                w.Text(QStringLiteral("Region"), a.region);
            if (!a.municipality.isEmpty())
                w.Text(QStringLiteral("Municipality"), a.municipality);
            if (!a.addressLines.isEmpty()) {
                x.writeStartElement(QStringLiteral("DeliveryAddress"));
                for (const QString& l : a.addressLines)
                    w.Text(QStringLiteral("AddressLine"), l);
                x.writeEndElement();
            }
            x.writeEndElement();
        }
        x.writeEndElement();
    }
}

void WriteEmployment(Writer& w, const std::vector<Position>& positions) {
    if (positions.empty())
        return;
    auto& x = w.x();
    x.writeStartElement(QStringLiteral("EmploymentHistory"));
    for (size_t i = 0; i < positions.size();) {
        // Consecutive positions at one employer share its EmployerOrg.
        size_t j = i + 1;
        while (j < positions.size() && !positions[i].employer.isEmpty() &&
               positions[j].employer.compare(positions[i].employer, Qt::CaseInsensitive) == 0)
            ++j;
        x.writeStartElement(QStringLiteral("EmployerOrg"));
        w.Text(QStringLiteral("EmployerOrgName"), positions[i].employer);
        if (!positions[i].location.isEmpty()) {
            x.writeStartElement(QStringLiteral("EmployerContactInfo"));
            x.writeStartElement(QStringLiteral("LocationSummary"));
            w.Text(QStringLiteral("Municipality"), positions[i].location);
            x.writeEndElement();
            x.writeEndElement();
        }
        for (size_t k = i; k < j; ++k) {
            const Position& p = positions[k];
            x.writeStartElement(QStringLiteral("PositionHistory"));
            if (p.end.present)
                x.writeAttribute(QStringLiteral("currentEmployer"), QStringLiteral("true"));
            w.Text(QStringLiteral("Title"), p.title);
            x.writeStartElement(QStringLiteral("OrgName"));
            w.Text(QStringLiteral("OrganizationName"), p.employer);
            x.writeEndElement();
            w.Text(QStringLiteral("Description"), p.description);
            w.Date(QStringLiteral("StartDate"), p.start);
            if (p.end.IsSet())
                w.Date(QStringLiteral("EndDate"), p.end);
            x.writeEndElement();
        }
        x.writeEndElement();
        i = j;
    }
    x.writeEndElement();
}

QString SchoolType(const QString& school) {
    const QString s = school.toLower();
    if (s.contains(QStringLiteral("high school")) || s.contains(QStringLiteral("lycée")) ||
        s.contains(QStringLiteral("gymnasium")) ||
        s.contains(QStringLiteral("instituto de educación")))
        return QStringLiteral("highschool");
    if (s.contains(QStringLiteral("college")))
        return QStringLiteral("college");
    return QStringLiteral("university");
}

void WriteEducation(Writer& w, const std::vector<EducationEntry>& entries) {
    if (entries.empty())
        return;
    auto& x = w.x();
    x.writeStartElement(QStringLiteral("EducationHistory"));
    for (const EducationEntry& e : entries) {
        x.writeStartElement(QStringLiteral("SchoolOrInstitution"));
        x.writeAttribute(QStringLiteral("schoolType"), SchoolType(e.school));
        if (!e.school.isEmpty()) {
            x.writeStartElement(QStringLiteral("School"));
            w.Text(QStringLiteral("SchoolName"), e.school);
            x.writeEndElement();
        }
        if (!e.location.isEmpty()) {
            x.writeStartElement(QStringLiteral("LocationSummary"));
            w.Text(QStringLiteral("Municipality"), e.location);
            x.writeEndElement();
        }
        x.writeStartElement(QStringLiteral("Degree"));
        if (!e.degree.isEmpty())
            w.Text(QStringLiteral("DegreeName"), e.degree);
        if (e.date.IsSet())
            w.Date(QStringLiteral("DegreeDate"), e.date);
        if (!e.major.isEmpty()) {
            x.writeStartElement(QStringLiteral("DegreeMajor"));
            w.Text(QStringLiteral("Name"), e.major);
            x.writeEndElement();
        }
        if (e.start.IsSet()) {
            x.writeStartElement(QStringLiteral("DatesOfAttendance"));
            w.Date(QStringLiteral("StartDate"), e.start);
            w.Date(QStringLiteral("EndDate"), e.date);
            x.writeEndElement();
        }
        x.writeEndElement();
        x.writeEndElement();
    }
    x.writeEndElement();
}

} // namespace

QString WriteHrXml(const ParsedResume& r, const HrXmlContent& content) {
    QString out;
    Writer w(&out);
    auto& x = w.x();
    x.writeStartDocument();
    x.writeDefaultNamespace(kNs);
    x.writeStartElement(kNs, QStringLiteral("Resume"));
    x.writeStartElement(QStringLiteral("StructuredXMLResume"));
    const ContactDetails& c = r.contact;
    if (!c.name.IsEmpty() || !c.emails.isEmpty() || !c.phones.empty() || !c.address.IsEmpty() ||
        !c.webAddresses.isEmpty()) {
        x.writeStartElement(QStringLiteral("ContactInfo"));
        if (!c.name.IsEmpty())
            WriteName(w, c.name);
        WriteContactMethods(w, c);
        x.writeEndElement();
    }
    if (!content.contactOnly) {
        if (!r.summary.isEmpty())
            w.Text(QStringLiteral("ExecutiveSummary"), r.summary);
        if (!r.objective.isEmpty())
            w.Text(QStringLiteral("Objective"), r.objective);
        WriteEmployment(w, r.positions);
        WriteEducation(w, r.education);
        if (!r.certifications.empty()) {
            x.writeStartElement(QStringLiteral("LicensesAndCertifications"));
            for (const Certification& cert : r.certifications) {
                x.writeStartElement(QStringLiteral("LicenseOrCertification"));
                w.Text(QStringLiteral("Name"), cert.name);
                if (cert.date.IsSet() && !cert.date.present) {
                    x.writeStartElement(QStringLiteral("EffectiveDate"));
                    w.Date(QStringLiteral("ValidFrom"), cert.date);
                    x.writeEndElement();
                }
                x.writeEndElement();
            }
            x.writeEndElement();
        }
        if (!r.skills.isEmpty()) {
            x.writeStartElement(QStringLiteral("Qualifications"));
            for (const QString& s : r.skills) {
                x.writeEmptyElement(QStringLiteral("Competency"));
                x.writeAttribute(QStringLiteral("name"), XmlSafeText(s));
            }
            x.writeEndElement();
        }
        if (!r.languages.empty()) {
            x.writeStartElement(QStringLiteral("Languages"));
            for (const LanguageSkill& l : r.languages) {
                x.writeStartElement(QStringLiteral("Language"));
                if (!l.code.isEmpty())
                    w.Text(QStringLiteral("LanguageCode"), l.code);
                w.Text(QStringLiteral("Comments"), l.text);
                x.writeEndElement();
            }
            x.writeEndElement();
        }
    }
    x.writeEndElement(); // StructuredXMLResume
    if (!content.textResume.isEmpty()) {
        x.writeStartElement(QStringLiteral("NonXMLResume"));
        w.Text(QStringLiteral("TextResume"), content.textResume);
        x.writeEndElement();
    }
    x.writeEndElement(); // Resume
    x.writeEndDocument();
    return out;
}

} // namespace zorv::rp
