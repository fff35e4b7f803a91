// Dates as resumes write them ("05/2019", "May 2019", "2019-05", "Mai 2019", "Summer 2018",
// "'19", "Present", "heute", ...) and date ranges, normalised to the HR-XML date forms.
#pragma once

#include <QString>

namespace zorv::rp {

struct ResumeDate {
    int year = 0;  // 0: no date
    int month = 0; // 1..12 or 0 when only the year is known
    int day = 0;   // 1..31 or 0
    bool present = false;
    QString written; // the text as the resume wrote it
    QString season;  // "Summer" ... when the resume gave a season rather than a month

    bool IsSet() const { return present || year > 0; }
    // The schema's form: "YYYY-MM-DD" (AnyDate), "YYYY-MM" (YearMonth), "YYYY" (Year).
    QString Iso() const;
    // A number that sorts dates; a present date sorts last.
    int SortKey() const;
};

struct DateRange {
    ResumeDate start;
    ResumeDate end;
    qsizetype position = -1; // where the range (or the single date) starts in the text
    qsizetype length = 0;    // how much of the text it covers
    // An end written apart from the start ("From: Jan 2013  Acme  To: Mar 2013"): where its
    // label starts and how much it covers; -1 when the end follows the start.
    qsizetype endPosition = -1;
    qsizetype endLength = 0;
    bool IsSet() const { return start.IsSet() || end.IsSet(); }
};

// The one date the whole text is (surrounding spaces and punctuation aside), or an unset date.
ResumeDate ParseDate(const QString& text);

// The first date range in the text: "05/2019 - Present", "since 2020", "2018 to 2019",
// "From: 05/2019 ... To: 06/2020", or a single date (start set, end unset). position -1 when the
// text holds no date.
DateRange FindDateRange(const QString& text);

} // namespace zorv::rp
