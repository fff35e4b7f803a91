// Education entries, built from the fragments of a line that name a school, a degree or a
// date.
#include "HistoryParser.h"

#include "EntryFragments.h"
#include "Sections.h"

#include <QRegularExpression>
#include <QSet>

namespace zorv::rp {

namespace {

// The longest line read in an education section.
constexpr qsizetype kMaxEducationLine = 160;

bool IsHonours(const QString& fragment) {
    static const QRegularExpression honours(
        QStringLiteral("^(?:summa |magna )?cum laude$|^with (?:honou?rs|distinction)$|"
                       "^(?:expected|anticipated|graduated|graduation|class of|"
                       "mention .*|gpa.*|cgpa.*|note.*)$"),
        QRegularExpression::CaseInsensitiveOption);
    return honours.match(fragment).hasMatch();
}

// "Bachelor of Science in Nursing": the field follows "in"; else "of" ("Master of Laws").
QString MajorOf(const QString& degree) {
    static const QRegularExpression majorAfterIn(QStringLiteral("\\s(?:in|en|em|im)\\s+(.+)$"),
                                                 QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression majorAfterOf(QStringLiteral("\\s(?:of|de)\\s+(.+)$"),
                                                 QRegularExpression::CaseInsensitiveOption);
    auto m = majorAfterIn.match(degree);
    if (!m.hasMatch())
        m = majorAfterOf.match(degree);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

// Education entries from fragments that name a school, a degree or a date, line by line.
class EducationReader {
public:
    explicit EducationReader(const WordLists& lists) : lists_(lists) {}

    void ReadLine(const QString& raw);
    std::vector<EducationEntry> Finish() {
        Push();
        return std::move(entries_);
    }

private:
    enum class Last { None, School, Degree };
    void Push();
    bool ReadFragment(const Fragment& fragment);
    void TakeUnnamedSchool(const QList<Fragment>& frags, bool usedLine, bool dated);

    const WordLists& lists_;
    std::vector<EducationEntry> entries_;
    EducationEntry current_;
    bool hasDate_ = false;
    Last last_ = Last::None;
    int lastCell_ = -1;
    // A short line that named nothing, kept until the next line tells whether it was the school
    // of a degree ("Bachelor of Arts" over or under "Kingsbridge College").
    QString unnamed_;
    bool degreeOnLastLine_ = false;
};

void EducationReader::Push() {
    if (!current_.school.isEmpty() || !current_.degree.isEmpty())
        entries_.push_back(current_);
    current_ = EducationEntry();
    hasDate_ = false;
}

bool EducationReader::ReadFragment(const Fragment& fragment) {
    const QString& f = fragment.text;
    if (IsLocation(f, lists_)) {
        if (current_.location.isEmpty())
            current_.location = f;
        last_ = Last::None;
        return false;
    }
    if (IsHonours(f) || IsProse(f) || IsNoName(f)) {
        last_ = Last::None;
        return false;
    }
    const bool school = HasWord(f, lists_.schools);
    const bool degree = IsDegree(f, lists_);
    bool used = true;
    if (school && !degree) {
        if (last_ == Last::School && lastCell_ == fragment.cell) {
            // "Rotman School of Management, University of Toronto"
            current_.school += QStringLiteral(", ") + f;
        } else {
            if (!current_.school.isEmpty())
                Push();
            current_.school = f;
        }
        last_ = Last::School;
    } else if (degree) {
        if (!current_.degree.isEmpty())
            Push();
        current_.degree = f;
        current_.major = MajorOf(f);
        last_ = Last::Degree;
    } else if (last_ == Last::Degree && lastCell_ == fragment.cell && f.size() < kMaxNameChars &&
               !f.contains(QLatin1Char(':'))) {
        // "Bachelor of Applied Science, Civil Engineering"
        current_.degree += QStringLiteral(", ") + f;
        if (current_.major.isEmpty())
            current_.major = f;
        used = false;
    } else {
        last_ = Last::None;
        used = false;
    }
    lastCell_ = fragment.cell;
    return used;
}

// A school whose name has no school word stands on its own line next to the degree's.
void EducationReader::TakeUnnamedSchool(const QList<Fragment>& frags, bool usedLine, bool dated) {
    const bool degreeHere = usedLine && !current_.degree.isEmpty() && last_ != Last::School;
    if (degreeHere && current_.school.isEmpty() && !unnamed_.isEmpty())
        current_.school = unnamed_; // the line above the degree
    const bool candidate = !usedLine && !dated && !frags.isEmpty() &&
                           frags.front().text.size() <= kMaxNameChars &&
                           frags.front().text[0].isUpper() && !IsProse(frags.front().text);
    if (candidate && degreeOnLastLine_ && current_.school.isEmpty() && !current_.degree.isEmpty())
        current_.school = frags.front().text; // the line under the degree
    unnamed_ = candidate ? frags.front().text : QString();
    degreeOnLastLine_ = degreeHere;
}

void EducationReader::ReadLine(const QString& raw) {
    if (raw.size() > kMaxEducationLine)
        return;
    const QString line = StripBullet(raw);
    const DateRange r = FindDateRange(line);
    const auto frags = Fragments(WithoutDate(line, r), true, lists_);
    bool usedLine = false;
    last_ = Last::None;
    lastCell_ = -1;
    for (const Fragment& fragment : frags)
        usedLine = ReadFragment(fragment) || usedLine;
    TakeUnnamedSchool(frags, usedLine, r.position >= 0);
    if (r.position >= 0 && (r.end.IsSet() || usedLine || frags.size() <= 3)) {
        if (hasDate_ && !usedLine)
            Push();
        current_.start = r.end.IsSet() ? r.start : ResumeDate();
        current_.date = r.end.IsSet() ? r.end : r.start;
        hasDate_ = true;
    }
}

} // namespace

std::vector<EducationEntry> ParseEducation(const QStringList& lines, const WordLists& lists) {
    EducationReader reader(lists);
    for (const QString& line : lines)
        reader.ReadLine(line);
    return reader.Finish();
}

} // namespace zorv::rp
