#include "TokenLines.h"

namespace zorv {
namespace {

bool DecodeField(const QString& field, QString& out) {
    out.clear();
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++i == field.size())
            return false;
        switch (field[i].unicode()) {
        case '\\':
            out += QLatin1Char('\\');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        default:
            return false;
        }
    }
    return true;
}

} // namespace

QString EncodeTokenField(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString EncodeTokenLines(const QStringList& names, const QStringList& values) {
    QString out;
    for (qsizetype i = 0; i < names.size(); ++i)
        out += EncodeTokenField(names[i]) + QLatin1Char('\t') + EncodeTokenField(values.value(i)) +
               QLatin1Char('\n');
    return out;
}

bool DecodeTokenLines(const QString& text, QStringList& names, QStringList& values,
                      QString* error) {
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QStringList lines = normalised.split(QLatin1Char('\n'));
    QString name, value;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString& line = lines[n];
        if (line.isEmpty())
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0 || !DecodeField(line.left(tab), name) ||
            !DecodeField(line.mid(tab + 1), value)) {
            if (error)
                *error =
                    QStringLiteral("line %1 is not NAME<TAB>VALUE with \\\\, \\t, \\r, \\n escapes")
                        .arg(n + 1);
            return false;
        }
        names << name;
        values << value;
    }
    return true;
}

} // namespace zorv
