// Education entries, built from the fragments of a line that name a school, a degree or a
// date, and from the order in which a section writes them (school over degree or under it).
#include "HistoryParser.h"

#include "EducationLines.h"
#include "Sections.h"

#include <QRegularExpression>

#include <algorithm>

namespace zorv::rp {

namespace {

// A school name wrapped onto the next line: at most this long and this many words.
constexpr qsizetype kMaxSchoolTail = 40;
constexpr qsizetype kMaxSchoolTailWords = 5;
// A single date with more unread fragments than this belongs to a sentence, not an entry.
constexpr qsizetype kMaxDatedNoteFragments = 3;
// The letters of a school's abbreviation ("MIT", "VIII LO").
constexpr qsizetype kMinAbbreviation = 2;
constexpr qsizetype kMaxAbbreviation = 8;

// "Universidad del Norte (UN)." ends a sentence, not an abbreviation; "X University in"
// lost its year ("... in 1994"), and no name starts or ends with a preposition.
QString TidySchoolName(const QString& name) {
    static const QRegularExpression fullStop(QStringLiteral("(?:\\)|\\p{Ll}{4})\\K\\.$"),
                                             QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression preposition(
        QStringLiteral("\\s+(?:in|at|from|since|till|until|en|em|im|seit|desde)$"));
    // "From   Northfield Institute": the words before a school name on a line of its own.
    static const QRegularExpression leading(QStringLiteral("^(?:from|at)\\s+(?=\\p{Lu})"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::UseUnicodePropertiesOption);
    return QString(name).remove(fullStop).remove(preposition).remove(leading);
}

// "In Electronics and Communication Engg." under a degree goes on with its field; it names
// no school.
bool OpensWithFieldConnector(const QString& text) {
    static const QRegularExpression connector(QStringLiteral("^(?:in|of|en|em|im|for|für)\\s"),
                                              QRegularExpression::CaseInsensitiveOption);
    return connector.match(text).hasMatch();
}

// A listed school word alone or with lower-case words after it ("Grundschule", "Szkoła
// policealna") names a kind of school, not a school; an abbreviation ("EPFL"), a name ending
// in a school word ("Lindenschule") or a capitalised name after one names one.
bool IsSchoolKind(const QString& text, const WordLists& lists) {
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || text.contains(QLatin1Char('-')) ||
        !lists.schools.singles.contains(Fold(words.front())))
        return false;
    const auto capital = [](QChar c) { return c.isUpper(); };
    return std::none_of(words.front().begin() + 1, words.front().end(), capital) &&
           std::none_of(words.begin() + 1, words.end(), [&](const QString& w) {
               return capital(w.front()) || !w.front().isLetter();
           });
}

// "E.E.T No 6", "HTL 2": a name written as an abbreviation, with at least this many capitals.
constexpr qsizetype kMinNameCapitals = 3;
bool IsAbbreviatedName(const QString& text) {
    return std::count_if(text.begin(), text.end(), [](QChar c) { return c.isUpper(); }) >=
               kMinNameCapitals &&
           !text.contains(QLatin1Char(':'));
}

// A page's running title inside a section ("Curriculum Vitae  Jane Doe", "Jane Doe - CV")
// names no school.
bool IsDocumentTitle(const QString& text, const WordLists& lists) {
    const QString folded = Fold(text);
    return std::any_of(lists.contact.notNames.begin(), lists.contact.notNames.end(),
                       [&](const QString& n) {
                           return folded == n || folded.startsWith(n + QLatin1Char(' ')) ||
                                  folded.endsWith(QLatin1Char(' ') + n);
                       });
}
bool IsDocumentTitle(const QList<Fragment>& frags, const WordLists& lists) {
    return std::any_of(frags.begin(), frags.end(),
                       [&](const Fragment& f) { return IsDocumentTitle(f.text, lists); });
}

// Education entries from fragments that name a school, a degree or a date, line by line.
class EducationReader {
public:
    EducationReader(const WordLists& lists, LineShape shape) : lists_(lists), shape_(shape) {}

    void ReadLine(const EducationLine& line);
    std::vector<EducationEntry> Finish() {
        Push();
        return std::move(entries_);
    }

private:
    enum class Last { None, School, Degree };
    enum class Role { Any, School, Degree };
    // Whether the section writes an entry's school on the line over its degree, or under it.
    enum class Order { Unknown, SchoolFirst, DegreeFirst };
    void Push();
    void TakeSchool(const Fragment& fragment);
    void TakeDegree(const Fragment& fragment);
    bool ReadFragment(const Fragment& fragment, Role role, bool beforePlace);
    bool ContinueSchool(const EducationLine& line);
    bool TakeUnnamedSchool(const QList<Fragment>& frags, bool usedLine, bool dated);
    bool TakeAbbreviatedSchool(const QList<Fragment>& frags);
    void TakeDate(const DateRange& r, bool usedLine, const QList<Fragment>& frags);
    void LearnOrder();

    const WordLists& lists_;
    // Dated lines shaped like the section's one-line entry name their school and degree at
    // its places, with or without school and degree words ("2017  Data Analyst • Acme").
    const LineShape shape_;
    std::vector<EducationEntry> entries_;
    EducationEntry current_;
    bool hasDate_ = false;
    Last last_ = Last::None;
    int lastCell_ = -1;
    int lineNo_ = 0;
    int schoolLine_ = -1;
    int degreeLine_ = -1;
    Order order_ = Order::Unknown;
    // The school (and dates) were carried over from the entry above ("University X" over
    // two degrees); a school named later replaces them.
    bool inherited_ = false;
    // The degree is a line under the school that names no degree ("Computer Engineering").
    bool weakDegree_ = false;
    // The school is a dated line's only name, without a school word ("2023  DataForge"): a
    // course's provider, or the field over its school's line.
    bool weakSchool_ = false;
    // A short line that named nothing, kept until the next line tells whether it was the school
    // of a degree ("Bachelor of Arts" over or under "Kingsbridge College").
    QString unnamed_;
    bool degreeOnLastLine_ = false;
    // Dates stand alone over the names of their entry.
    bool datesLead_ = false;
    // The degrees of this line that were cut from a school's name.
    const QStringList* cutDegrees_ = nullptr;
};

// A school alone, with neither a degree nor a date, is too little evidence for an entry
// (a research institute named in a note, an award's sponsor); so is a degree without a
// school, unless it is dated and named first on its line ("2004  CAP cuisine").
void EducationReader::Push() {
    const bool hasSchool = !current_.school.isEmpty();
    const bool hasDegree = !current_.degree.isEmpty();
    const bool enough =
        (hasSchool && (hasDegree || current_.date.IsSet())) ||
        (hasDegree && current_.date.IsSet() && StartsWithDegree(current_.degree, lists_));
    if (enough)
        entries_.push_back(current_);
    current_ = EducationEntry();
    hasDate_ = false;
    inherited_ = false;
    weakDegree_ = false;
    weakSchool_ = false;
    schoolLine_ = degreeLine_ = -1;
}

void EducationReader::LearnOrder() {
    if (order_ == Order::Unknown && schoolLine_ >= 0 && degreeLine_ >= 0 &&
        schoolLine_ != degreeLine_)
        order_ = schoolLine_ < degreeLine_ ? Order::SchoolFirst : Order::DegreeFirst;
}

void EducationReader::TakeSchool(const Fragment& fragment) {
    if (last_ == Last::School && lastCell_ == fragment.cell &&
        IsSchoolKind(current_.school, lists_)) {
        // "Grundschule, Lindenschule": the kind of school, then its name.
        if (current_.degree.isEmpty())
            current_.degree = current_.school;
        current_.school = TidySchoolName(fragment.text);
    } else if (last_ == Last::School && lastCell_ == fragment.cell) {
        // "Rotman School of Management, University of Toronto"
        current_.school += QStringLiteral(", ") + fragment.text;
    } else if (IsSchoolKind(fragment.text, lists_) && !current_.school.isEmpty() &&
               current_.degree.isEmpty() && schoolLine_ == lineNo_ - 1) {
        // "ACME, Lakeside  2007 - 2009" over "Szkoła policealna": the kind is the level.
        TakeDegree(fragment);
        return;
    } else {
        // "2015  Applied Physics" over "Northfield University": the line above was the field.
        const bool demote = weakSchool_ && schoolLine_ == lineNo_ - 1 && current_.degree.isEmpty();
        if (demote) {
            current_.degree = current_.major = current_.school;
            current_.school.clear();
            degreeLine_ = schoolLine_;
            weakDegree_ = true;
        }
        weakSchool_ = false;
        const bool replace = inherited_ && degreeLine_ == lineNo_;
        if (!current_.school.isEmpty() && !replace)
            Push();
        current_.school = TidySchoolName(fragment.text);
        inherited_ = false;
        schoolLine_ = lineNo_;
    }
    last_ = Last::School;
    LearnOrder();
}

void EducationReader::TakeDegree(const Fragment& fragment) {
    if (!current_.degree.isEmpty() && weakDegree_) {
        // The field's line came first ("Computer Science" over "Bachelor of Science").
        current_.major = current_.degree;
    } else if (!current_.degree.isEmpty()) {
        const EducationEntry above = current_;
        const bool carry =
            order_ == Order::SchoolFirst && !above.school.isEmpty() && schoolLine_ < lineNo_;
        Push();
        if (carry) {
            // A second degree under the same school ("University X", "BSc ...", "MSc ...").
            current_.school = above.school;
            current_.location = above.location;
            current_.start = above.start;
            current_.date = above.date;
            inherited_ = true;
        }
    }
    current_.degree = fragment.text;
    if (current_.major.isEmpty() || !weakDegree_)
        current_.major = MajorOf(fragment.text);
    weakDegree_ = false;
    degreeLine_ = lineNo_;
    last_ = Last::Degree;
    LearnOrder();
}

bool EducationReader::ReadFragment(const Fragment& fragment, Role role, bool beforePlace) {
    const QString& f = fragment.text;
    // A degree cut from a school's name is one even when it spells a place ("MS").
    if (IsLocation(f, lists_) && !cutDegrees_->contains(f)) {
        if (current_.location.isEmpty())
            current_.location = f;
        last_ = Last::None;
        return false;
    }
    // Degrees name their field in lower case ("Laurea in ingegneria informatica gestionale").
    if (IsHonours(f) || (IsProse(f) && !StartsWithDegree(f, lists_)) || IsNoName(f)) {
        last_ = Last::None;
        return false;
    }
    // Named as both and not to be cut ("Instituto Técnico X"): the first word decides.
    const bool bothStartSchool = IsSchool(f.section(QLatin1Char(' '), 0, 0), lists_);
    const bool school = IsSchool(f, lists_) || role == Role::School;
    const bool degree = (IsEduDegree(f, lists_) && !(school && bothStartSchool)) ||
                        (role == Role::Degree && !school);
    bool used = true;
    if (school && !degree) {
        TakeSchool(fragment);
    } else if (degree) {
        TakeDegree(fragment);
    } else if (last_ == Last::Degree && beforePlace && current_.school.isEmpty() &&
               IsAbbreviatedName(f)) {
        // "Técnico en Electrónica, E.E.T No 6, Lakeside": degree, school, place.
        TakeSchool(fragment);
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

// One ordinary word ("Publications", a wrapped "Angeles") names no school; one-word schools
// are abbreviations or run-together names ("ACME", "DataForge").
bool IsPlainWord(const QString& text) {
    return !text.contains(QLatin1Char(' ')) &&
           std::none_of(text.begin() + 1, text.end(),
                        [](QChar c) { return c.isUpper() || c.isDigit(); });
}

// "Hochschule für angewandte Wissenschaften" over "Kleinstadt": the school's name goes on
// when the entry has its degree and the line starts with a short name that is no school
// of its own.
bool EducationReader::ContinueSchool(const EducationLine& line) {
    const QList<Fragment>& frags = line.fragments;
    // last_ still tells how the line before ended.
    if (last_ != Last::School || line.range.position >= 0 || line.bulleted || frags.isEmpty() ||
        current_.degree.isEmpty() || schoolLine_ != lineNo_ - 1 || IsDocumentTitle(frags, lists_))
        return false;
    const QString& f = frags.front().text;
    const QStringList words = f.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // A name that starts or ends with a school word ("Northfield College") is the next school;
    // an abbreviation in brackets is not ("Lakeside (TU/L)").
    static const QRegularExpression bracketed(QStringLiteral("\\s*\\([^)]*\\)"));
    const QString plain = QString(f).remove(bracketed);
    if (f.size() > kMaxSchoolTail || words.size() > kMaxSchoolTailWords || plain.isEmpty() ||
        IsSchool(words.front(), lists_) || IsSchool(plain.section(QLatin1Char(' '), -1), lists_) ||
        IsEduDegree(f, lists_) || IsLocation(f, lists_) || IsHonours(f) || IsProse(f) ||
        IsNoName(f))
        return false;
    // After a complete-looking name ("... Universiteit") one plain word is more likely the
    // next heading than the name's end.
    if (IsSchool(current_.school.section(QLatin1Char(' '), -1), lists_) && IsPlainWord(f))
        return false;
    current_.school += QLatin1Char(' ') + f;
    return true;
}

// "MIT, Cambridge  2010 – 2014": a dated line that opens with an abbreviation and its place
// names a school by its short name.
bool EducationReader::TakeAbbreviatedSchool(const QList<Fragment>& frags) {
    if (frags.size() < 2 || !current_.school.isEmpty())
        return false;
    const QString& first = frags[0].text;
    QString letters = first;
    static const QRegularExpression notLetters(QStringLiteral("[\\s\\d.&-]"));
    letters.remove(notLetters);
    if (letters.size() < kMinAbbreviation || letters.size() > kMaxAbbreviation ||
        !IsUpperText(letters) || IsEduDegree(first, lists_) || IsLocation(first, lists_) ||
        !IsLocation(frags[1].text, lists_))
        return false;
    current_.school = first;
    schoolLine_ = lineNo_;
    LearnOrder();
    return true;
}

// A school whose name has no school word stands on its own line next to the degree's; a
// field without a degree word stands under the school ("Computer Engineering"); a course's
// provider stands alone on a dated line. Returns whether the line named the school.
bool EducationReader::TakeUnnamedSchool(const QList<Fragment>& frags, bool usedLine, bool dated) {
    const bool degreeHere = usedLine && !current_.degree.isEmpty() && last_ != Last::School;
    if (degreeHere && current_.school.isEmpty() && !unnamed_.isEmpty())
        current_.school = unnamed_; // the line above the degree
    const QString first = frags.isEmpty() ? QString() : frags.front().text;
    bool candidate = !usedLine && !first.isEmpty() && first.size() <= kMaxNameChars &&
                     first[0].isUpper() && !IsProse(first) && !IsHonours(first) &&
                     !IsNoName(first) && !IsLocation(first, lists_) && !IsPlainWord(first) &&
                     !OpensWithFieldConnector(first) && !IsDocumentTitle(frags, lists_);
    if (candidate && degreeOnLastLine_ && current_.school.isEmpty() && !current_.degree.isEmpty()) {
        current_.school = first; // the line under the degree
        candidate = false;
    } else if (candidate && current_.degree.isEmpty() && !current_.school.isEmpty() &&
               schoolLine_ == lineNo_ - 1 && first.contains(QLatin1Char(' '))) {
        current_.degree = first; // the line under the school
        degreeLine_ = lineNo_;
        weakDegree_ = true;
        candidate = false;
    }
    // A sub-heading ("Professional Development, 2013 - 2014", "2019  Formation X") names no
    // provider.
    const bool provider = candidate && dated && frags.size() == 1 && current_.school.isEmpty() &&
                          current_.degree.isEmpty() && HeadingKind(first, lists_).isEmpty() &&
                          HeadingKind(first.section(QLatin1Char(' '), 0, 0), lists_).isEmpty();
    if (provider) {
        current_.school = first;
        schoolLine_ = lineNo_;
        weakSchool_ = true;
    }
    // A dated line is an entry of its own, never the school of the next line's degree.
    unnamed_ = candidate && !dated ? first : QString();
    degreeOnLastLine_ = degreeHere;
    return provider;
}

// The line's period: the entry's, or the next entry's when the entry has its own.
void EducationReader::TakeDate(const DateRange& r, bool usedLine, const QList<Fragment>& frags) {
    const bool named = !current_.school.isEmpty() || !current_.degree.isEmpty();
    // The section's first entry opens with its period: so do the others.
    if (frags.isEmpty() && r.position >= 0 && entries_.empty() && !named)
        datesLead_ = true;
    if (frags.isEmpty() && r.position >= 0 && datesLead_ && named)
        Push();
    // "Visiting Fellow 2019", "GPA 3.8 (2015)": the date of a note, not of an entry.
    const bool notesOnly =
        !frags.isEmpty() && std::all_of(frags.begin(), frags.end(), [](const Fragment& f) {
            return IsHonours(f.text) || IsProse(f.text);
        });
    if (r.position < 0 || (!usedLine && notesOnly) ||
        !(r.end.IsSet() || usedLine || frags.size() <= kMaxDatedNoteFragments))
        return;
    if (hasDate_ && !usedLine)
        Push();
    current_.start = r.end.IsSet() ? r.start : ResumeDate();
    current_.date = r.end.IsSet() ? r.end : r.start;
    hasDate_ = true;
    inherited_ = false;
}

void EducationReader::ReadLine(const EducationLine& line) {
    ++lineNo_;
    const DateRange& r = line.range;
    QList<Fragment> frags = line.fragments;
    cutDegrees_ = &line.cutDegrees;
    const bool named = !current_.school.isEmpty() || !current_.degree.isEmpty();
    // A new period with names of its own starts the next entry ("2012  MSc ..., School").
    if (line.dateLine && hasDate_ && named && !frags.isEmpty())
        Push();
    const bool shaped = r.position >= 0 && shape_.count > 1 && frags.size() == shape_.count;
    if (ContinueSchool(line))
        frags.removeFirst();
    bool usedLine = false;
    last_ = Last::None;
    lastCell_ = -1;
    for (qsizetype i = 0; i < frags.size(); ++i) {
        const Role role = !shaped              ? Role::Any
                          : i == shape_.school ? Role::School
                          : i == shape_.degree ? Role::Degree
                                               : Role::Any;
        const bool beforePlace = i + 1 < frags.size() && IsLocation(frags[i + 1].text, lists_);
        usedLine = ReadFragment(frags[i], role, beforePlace) || usedLine;
    }
    if (line.dateLine && !usedLine && TakeAbbreviatedSchool(frags))
        usedLine = true;
    if (TakeUnnamedSchool(frags, usedLine, r.position >= 0))
        usedLine = true;
    TakeDate(r, usedLine, frags);
}

} // namespace

std::vector<EducationEntry> ParseEducation(const QStringList& lines, const WordLists& lists) {
    std::vector<EducationLine> prepared;
    for (const QString& raw : lines)
        if (auto line = PrepareEducationLine(raw, lists))
            prepared.push_back(std::move(*line));
    EducationReader reader(lists, LearnLineShape(prepared, lists));
    for (const EducationLine& line : prepared)
        reader.ReadLine(line);
    return reader.Finish();
}

} // namespace zorv::rp
