// "Parse" and "Extract": resume text to an HR-XML 2.5 Resume document.
//
// Blank text (nothing but white space or control characters) fails with a message: there is
// nothing to put into a template, and an empty document would hide the fault. Any other text,
// however odd, gives a valid document with whatever could be found in it.
#include "ContactParser.h"
#include "HistoryParser.h"
#include "HrXmlWriter.h"
#include "ResumeParserCore.h"
#include "Sections.h"
#include "WordLists.h"

#include <QSet>

#include <algorithm>

namespace zorv::rp {

namespace {

// Far beyond any resume; keeps a runaway conversion from tying the server up.
constexpr qsizetype kMaxResumeChars = 4 * 1024 * 1024;
// Competencies kept from all skills sections together.
constexpr qsizetype kMaxCompetencies = 300;
// Dated lines with known titles that make the text before any heading a list of positions.
constexpr qsizetype kMinListedPositions = 3;

QString JoinedText(const QStringList& lines) {
    QStringList out;
    for (const QString& l : lines)
        out << QString(l).replace(QLatin1Char('\t'), QLatin1Char(' ')).simplified();
    return out.join(QLatin1Char('\n'));
}

// A sidebar read before the main column runs its last list (skills, languages) into the
// candidate's name and headline: the list ends where the name stands.
QStringList ListBeforeName(const QStringList& lines, const QString& name, const WordLists& lists) {
    if (name.isEmpty())
        return lines;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (ParsePersonName(lines[i], lists).formatted == name)
            return lines.first(i);
    return lines;
}

// No experience heading: a dated line under the contact details that names a job title
// ("Warehouse Associate, Amazon, 2021 - present") is still a position. Where most such lines
// name a known title, they are a list of positions, and the rest of the list counts too.
std::vector<Position> PositionsWithoutHeading(const QStringList& lines, const WordLists& lists) {
    std::vector<Position> found = ParsePositions(lines, lists);
    const auto knownTitle = [&](const Position& p) {
        return !p.employer.isEmpty() && lists.titles.Matches(WordsOf(Fold(p.title)));
    };
    const auto known = std::count_if(found.begin(), found.end(), knownTitle);
    const bool list = known >= kMinListedPositions && 2 * known >= std::ssize(found);
    std::vector<Position> out;
    for (Position& p : found)
        if (knownTitle(p) || (list && !p.employer.isEmpty() && !p.title.isEmpty()))
            out.push_back(std::move(p));
    return out;
}

// Newest first; positions without a start keep their place after the dated ones.
void SortNewestFirst(std::vector<Position>& positions) {
    std::stable_sort(positions.begin(), positions.end(), [](const Position& a, const Position& b) {
        const int ka = std::max(a.end.SortKey(), a.start.SortKey());
        const int kb = std::max(b.end.SortKey(), b.start.SortKey());
        if (ka != kb)
            return ka > kb;
        return a.start.SortKey() > b.start.SortKey();
    });
}

} // namespace

ActionResult ParseResume(const ParserSettings& settings, bool contactOnly) {
    ActionResult result;
    const QString& content = settings.ResumeContent;
    if (content.size() > kMaxResumeChars) {
        result.message = QStringLiteral("The resume's text is too long to parse (%1 characters; "
                                        "the limit is %2).")
                             .arg(content.size())
                             .arg(kMaxResumeChars);
        return result;
    }
    const QStringList lines = TextLines(content);
    if (lines.isEmpty()) {
        result.message = QStringLiteral("The resume has no text to parse.");
        return result;
    }
    const WordLists& lists = GetWordLists(settings.CustomizePath);
    const std::vector<Section> sections = SplitSections(lines, lists, settings.Layout.get());

    ParsedResume resume;
    resume.contact =
        ParseContact(sections, lists,
                     ContactOptions{settings.ResumeCountry, settings.CleanupPhoneNumbers,
                                    settings.Layout.get()});

    const bool contactOnlyOutput = contactOnly || settings.ParseContactInfoOnly;
    const bool full = !contactOnlyOutput && settings.UseFullParser;
    if (full) {
        bool hasSkillsSection = false;
        QSet<QString> skillsSeen;
        for (const Section& s : sections) {
            if (s.kind == QLatin1String("summary")) {
                resume.summary += (resume.summary.isEmpty() ? QString() : QStringLiteral("\n")) +
                                  JoinedText(s.lines);
            } else if (s.kind == QLatin1String("objective")) {
                resume.objective +=
                    (resume.objective.isEmpty() ? QString() : QStringLiteral("\n")) +
                    JoinedText(s.lines);
            } else if (s.kind == QLatin1String("experience")) {
                for (Position& p : ParsePositions(s.lines, lists))
                    resume.positions.push_back(std::move(p));
            } else if (s.kind == QLatin1String("education")) {
                for (EducationEntry& e : ParseEducation(s.lines, lists))
                    resume.education.push_back(std::move(e));
            } else if (s.kind == QLatin1String("skills")) {
                hasSkillsSection = true;
                const QStringList list =
                    ListBeforeName(s.lines, resume.contact.name.formatted, lists);
                for (const QString& skill : ParseSkills(list))
                    if (resume.skills.size() < kMaxCompetencies &&
                        !skillsSeen.contains(skill.toCaseFolded())) {
                        skillsSeen.insert(skill.toCaseFolded());
                        resume.skills << skill;
                    }
            } else if (s.kind == QLatin1String("languages")) {
                for (LanguageSkill& l : ParseLanguages(
                         ListBeforeName(s.lines, resume.contact.name.formatted, lists), lists))
                    resume.languages.push_back(std::move(l));
            } else if (s.kind == QLatin1String("certifications")) {
                for (Certification& c : ParseCertifications(s.lines))
                    resume.certifications.push_back(std::move(c));
            }
        }
        if (!hasSkillsSection)
            resume.skills = FindKnownSkills(lines, lists);
        if (resume.positions.empty())
            resume.positions = PositionsWithoutHeading(sections.front().lines, lists);
        SortNewestFirst(resume.positions);
    }

    HrXmlContent out;
    out.contactOnly = !full;
    const bool withText = contactOnly ? false
                          : full      ? settings.PutResumeContentInXML
                                 : !settings.ParseContactInfoOnly || settings.PutResumeContentInXML;
    if (withText)
        out.textResume = XmlSafeText(content);
    result.text = WriteHrXml(resume, out);
    result.ok = true;
    return result;
}

} // namespace zorv::rp
