// What the parser finds in a resume, before it is written as HR-XML.
#pragma once

#include "ResumeDates.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace zorv::rp {

struct PersonNameParts {
    QString formatted;
    QStringList given;
    QString middle;
    QString family;
    QString familyPrefix;       // "van der", "de", ...
    QStringList formsOfAddress; // Mr, Dr, Mme ...
    QStringList generations;    // Jr, III ...
    QStringList qualifications; // PhD, MBA ...
    bool IsEmpty() const { return formatted.isEmpty(); }
};

enum class PhoneKind { Telephone, Mobile, Fax };

struct Phone {
    PhoneKind kind = PhoneKind::Telephone;
    QString formatted;
    QString digits; // E.164 digits without "+", for comparisons
};

struct Address {
    QString countryCode;
    QString postalCode;
    QString region;
    QString municipality;
    QStringList addressLines;
    bool IsEmpty() const { return municipality.isEmpty() && postalCode.isEmpty(); }
};

struct ContactDetails {
    PersonNameParts name;
    QStringList emails;
    QStringList webAddresses;
    std::vector<Phone> phones;
    Address address;
};

struct Position {
    QString employer;
    QString title;
    QString location;
    QString description;
    ResumeDate start;
    ResumeDate end;
};

struct EducationEntry {
    QString school;
    QString degree;
    QString major;
    QString location;
    ResumeDate date; // the degree's date: the end of the period, or its only date
    ResumeDate start;
    QString comments;
};

struct Certification {
    QString name;
    ResumeDate date;
};

struct LanguageSkill {
    QString code; // ISO 639-1, or empty when the language is unknown
    QString text; // as written, with its level
};

struct ParsedResume {
    ContactDetails contact;
    QString summary;
    QString objective;
    std::vector<Position> positions;
    std::vector<EducationEntry> education;
    QStringList skills;
    std::vector<LanguageSkill> languages;
    std::vector<Certification> certifications;
};

} // namespace zorv::rp
