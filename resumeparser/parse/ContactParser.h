// Contact details of a resume: the person's name, e-mail and web addresses, telephone
// numbers (parsed and formatted with libphonenumber) and the postal address.
#pragma once

#include "ResumeModel.h"
#include "ResumeParserCore.h"
#include "Sections.h"
#include "WordLists.h"

namespace zorv::rp {

struct ContactOptions {
    QString resumeCountry; // ISO code or country name; blank: the address's country, else US
    bool cleanupPhoneNumbers = false;
    const DocumentLayout* layout = nullptr; // the converted text's layout, when known
};

ContactDetails ParseContact(const std::vector<Section>& sections, const WordLists& lists,
                            const ContactOptions& options);

// The name split into its parts, or an empty name when the text is not a person's name.
PersonNameParts ParsePersonName(const QString& text, const WordLists& lists);

// The postal address that one line (or chunk of a line) holds, or an empty address.
Address ParseAddressLine(const QString& text, const WordLists& lists);

// Country code for a code or a name ("fr", "France", "Deutschland"); "" when unknown.
QString CountryCodeOf(const QString& text, const WordLists& lists);

} // namespace zorv::rp
