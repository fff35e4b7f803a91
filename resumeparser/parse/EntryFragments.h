// Helpers shared by the readers of entries (positions, education): a line's fragments and
// what they look like. Internal to the parser.
#pragma once

#include "ResumeDates.h"
#include "WordLists.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zorv::rp {

// Past these a line describes rather than names: characters, words.
constexpr qsizetype kLongLine = 110;
constexpr qsizetype kMaxNameLineWords = 16;
// A line with a date and more than this is prose, never an entry's heading.
constexpr qsizetype kMaxDateLine = 140;
// The longest title or employer; longer text is a description.
constexpr qsizetype kMaxNameChars = 70;

struct Fragment {
    QString text;
    int cell = 0;
    QString label;     // the kind of the label written before it ("title", "employer"), or ""
    bool note = false; // written in parentheses or brackets
};

bool HasWord(const QString& fragment, const PhraseSet& set);
// A line that describes rather than names: a bullet, a long line or a sentence.
bool IsDescriptionLine(const QString& line, const WordLists& lists);
// The fragments of a line cut at strong separators (tabs, bars, dashes, "at") and commas.
QList<Fragment> Fragments(const QString& text, bool education, const WordLists& lists);
bool IsRegionOrCountry(const QString& fragment, const WordLists& lists);
bool IsLocation(const QString& fragment, const WordLists& lists);
bool IsDegree(const QString& fragment, const WordLists& lists);
int TitleScore(const QString& f, const WordLists& lists);
int OrgScore(const QString& f, const WordLists& lists, bool allCapsMeansOrg);
// A line that names a period: a range, or one date at the start or end of a short line.
bool FindDateLine(const QString& line, DateRange* range);
// The same for a line whose date range `r` is already found.
bool IsDateLine(const QString& line, const DateRange& r);
QString WithoutDate(const QString& line, const DateRange& r);
bool IsUpperText(const QString& text);
bool HasLetter(const QString& text);
// All capitals everywhere says nothing about what is an employer.
bool AllCaps(const QStringList& lines);
bool IsProse(const QString& fragment);
// A fragment that names nothing: a web address, a share of time ("80% FTE"), a duration
// ("3 years"), a decoration.
bool IsNoName(const QString& fragment);
// How many fragments of the text could name a title or an employer.
qsizetype NameCount(const QString& text, const WordLists& lists);
qsizetype NameCount(const QList<Fragment>& frags);

} // namespace zorv::rp
