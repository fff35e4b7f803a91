#include "MapRecipes.h"

#include "FuncLib.h"
#include "ZorvError.h"

#include <QRegularExpression>

namespace zorv::mapping {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kSpace = QStringLiteral(" ");
constexpr int kMonthsInYear = 12;

const QStringList& EnglishMonths() {
    static const QStringList months{
        QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
        QStringLiteral("April"),   QStringLiteral("May"),      QStringLiteral("June"),
        QStringLiteral("July"),    QStringLiteral("August"),   QStringLiteral("September"),
        QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")};
    return months;
}

// The text of one selected node, formatted as the XPath element asks.
QString PieceText(const xml::Node& part, const xml::Node& found) {
    const QString text = found.Text();
    if (part.Attribute(QStringLiteral("format")).value_or(QString()) != QLatin1String("date"))
        return text;
    QStringList months = part.Attribute(QStringLiteral("months"))
                             .value_or(QString())
                             .split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& m : months)
        m = m.trimmed();
    if (months.size() != kMonthsInYear)
        months = EnglishMonths();
    return FormattedDate(
        text, months,
        part.Attribute(QStringLiteral("present")).value_or(QStringLiteral("Present")));
}

void AppendXPath(const xml::Node& part, const xml::Document* hrxml, const xml::Node& context,
                 QString& value) {
    const QString expression = part.Text();
    if (!hrxml)
        throw ZorvError(ErrObjectNotSet,
                        QStringLiteral("Object variable not set: the HR-XML file was not loaded, "
                                       "so \"%1\" cannot be evaluated.")
                            .arg(expression));
    if (const std::optional<QString> separator = part.Attribute(QStringLiteral("join"))) {
        QStringList pieces;
        for (const xml::Node& found : hrxml->SelectNodes(expression, context)) {
            const QString piece = PieceText(part, found).trimmed();
            if (!piece.isEmpty())
                pieces << piece;
        }
        value += pieces.join(*separator);
        return;
    }
    const xml::Node found = hrxml->SelectSingleNode(expression, context);
    if (!found.IsNull())
        value += PieceText(part, found);
}

} // namespace

bool ValueStillBlank(const QString& value) {
    return IsBlank(TrimSpaces(QString(value).replace(kCrLf, kSpace)));
}

QString Normalised(QString value) {
    value.replace(kCrLf, kSpace);
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

void AppendRecipe(const xml::Node& xpaths, const xml::Document* hrxml, const xml::Node& context,
                  QString& value) {
    for (const xml::Node& part : xpaths.ChildNodes()) {
        const QString kind = part.NodeName();
        if (kind == QLatin1String("XPath"))
            AppendXPath(part, hrxml, context, value);
        else if (kind == QLatin1String("Append"))
            value += part.Text();
    }
}

QString FirstRecipeValue(const xml::Node& token, const xml::Document* hrxml,
                         const xml::Node& context) {
    QString value;
    for (const xml::Node& xpaths : token.ChildNodes())
        if (xpaths.NodeName() == QLatin1String("XPaths") && ValueStillBlank(value))
            AppendRecipe(xpaths, hrxml, context, value);
    return Normalised(value);
}

QString FormattedDate(const QString& text, const QStringList& months, const QString& present) {
    static const QRegularExpression yearMonth(
        QStringLiteral(R"(^(\d{4})-(\d{1,2})(?:-\d{1,2})?$)"));
    static const QStringList presentWords{QStringLiteral("present"), QStringLiteral("current"),
                                          QStringLiteral("now"), QStringLiteral("today")};
    const QString t = text.trimmed();
    if (presentWords.contains(t.toLower()))
        return present;
    if (t == QLatin1String("notKnown") || t == QLatin1String("notApplicable"))
        return QString();
    const QRegularExpressionMatch m = yearMonth.match(t);
    if (m.hasMatch()) {
        const int month = m.captured(2).toInt();
        if (month >= 1 && month <= months.size())
            return months[month - 1] + QLatin1Char(' ') + m.captured(1);
    }
    return t;
}

QStringList BulletLines(const QString& text) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    static const QRegularExpression bullet(QStringLiteral("^[\\-•*–▪]+\\s*"));
    QStringList lines;
    for (QString line : text.split(lineEnd)) {
        line = line.trimmed().remove(bullet).trimmed();
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

} // namespace zorv::mapping
