// Telephone numbers of a resume, found by their labels and their shape and checked with
// libphonenumber. A number keeps the country prefix its candidate wrote.
#pragma once

#include "ResumeModel.h"
#include "WordLists.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace zorv::rp {

struct PhoneSearch {
    QString region;         // ISO code used for numbers written without a country prefix
    bool cleanup = false;   // formats the number (national, or international when written so)
    QString postalCode;     // the address's postal code, which is no number to dial
    qsizetype maxCount = 0; // stop after this many numbers
};

// Numbers of the contact zone (labelled or not), then labelled or international ones of the
// other lines; each number once.
std::vector<Phone> FindPhones(const QStringList& zone, const QStringList& others,
                              const WordLists& lists, const PhoneSearch& search);

// The country of the first valid number written with its international prefix, or "".
QString CountryOfInternationalNumber(const QStringList& lines);

// The country of the first number in E.164 digits that libphonenumber places, or "".
QString CountryOfPhones(const std::vector<Phone>& phones);

} // namespace zorv::rp
