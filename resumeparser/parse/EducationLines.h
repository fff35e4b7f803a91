// The lines of an education section made ready for reading: cleaned of markup, notes and
// labels, with their period and their fragments, school and degree names cut apart; and
// what a fragment names. Internal to the parser.
#pragma once

#include "EntryFragments.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zorv::rp {

// Notes on an entry: honours, grades, awards, a thesis, a minor or a focus.
bool IsHonours(const QString& fragment);
// A degree word or phrase, also when its initials are written with spaces ("B. Tech").
bool IsEduDegree(const QString& fragment, const WordLists& lists);
// The degree is named by the fragment's first word or words ("CAP cuisine", "High school
// diploma"), not somewhere inside a sentence ("Obtained the CAP").
bool StartsWithDegree(const QString& fragment, const WordLists& lists);
// A school word in a fragment short enough to be a name.
bool IsSchool(const QString& fragment, const WordLists& lists);
// "Bachelor of Science in Nursing": the field after "in", else after "of".
QString MajorOf(const QString& degree);

struct EducationLine {
    DateRange range;       // the line's date or period, if any
    bool dateLine = false; // a period, or one date at the line's start or end
    bool bulleted = false; // a list item: a note, never the rest of a name
    QList<Fragment> fragments;
    QStringList cutDegrees; // degrees cut from a school's name: degrees even if they spell a place
};

// The line ready for reading, or nothing for a note ("Advisor: ...") or an empty line.
std::optional<EducationLine> PrepareEducationLine(const QString& raw, const WordLists& lists);

// Where a section's dated one-line entries name the school and the degree: the fragment
// positions on lines of `count` fragments, learned from a line that names both.
struct LineShape {
    qsizetype count = 0;
    qsizetype school = -1;
    qsizetype degree = -1;
};
LineShape LearnLineShape(const std::vector<EducationLine>& lines, const WordLists& lists);

} // namespace zorv::rp
