// The body sections of a resume: positions held, education, skills, languages and
// certifications, from the lines of their sections.
#pragma once

#include "ResumeModel.h"
#include "WordLists.h"

#include <QStringList>
#include <vector>

namespace zorv::rp {

// Positions of an experience section, in the order written.
std::vector<Position> ParsePositions(const QStringList& lines, const WordLists& lists);

// Schools and degrees of an education section, in the order written.
std::vector<EducationEntry> ParseEducation(const QStringList& lines, const WordLists& lists);

// Skill names of a skills section ("Languages: C++, Python" gives C++ and Python).
QStringList ParseSkills(const QStringList& lines);

// Known skills (skills.txt) named anywhere in the text, for resumes without a skills section.
QStringList FindKnownSkills(const QStringList& lines, const WordLists& lists);

std::vector<LanguageSkill> ParseLanguages(const QStringList& lines, const WordLists& lists);

std::vector<Certification> ParseCertifications(const QStringList& lines);

} // namespace zorv::rp
