#include "app/FileDialogFilter.h"

#include <QRegularExpression>

namespace {

// "*.cfg;*.xml" → "*.cfg *.xml". "*.*" means every file on the system the form comes from; here
// it would only match names that contain a dot.
QString PatternList(const QString& field)
{
    QStringList patterns;
    for (const QString& part : field.split(u';', Qt::SkipEmptyParts)) {
        const QString pattern = part.trimmed();
        if (!pattern.isEmpty())
            patterns << (pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern);
    }
    return patterns.join(u' ');
}

// The description without a trailing "(...)": the entry gets the pattern list there instead, so
// that what the dialog shows and what it filters by cannot disagree.
QString BareDescription(const QString& description)
{
    static const QRegularExpression trailingGroup(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    return QString(description).remove(trailingGroup).trimmed();
}

} // namespace

QStringList FileDialogFilters(const QString& text)
{
    if (!text.contains(u'|'))
        return text.split(QStringLiteral(";;"), Qt::SkipEmptyParts);

    QStringList fields = text.split(u'|');
    while (!fields.isEmpty() && fields.last().trimmed().isEmpty())
        fields.removeLast();
    QStringList filters;
    for (qsizetype i = 0; i < fields.size(); i += 2) {
        const QString description = fields[i].trimmed();
        const QString patterns = i + 1 < fields.size() ? PatternList(fields[i + 1]) : QString();
        if (patterns.isEmpty()) {
            if (!description.isEmpty())
                filters << description;
            continue;
        }
        const QString bare = BareDescription(description);
        filters << (bare.isEmpty() ? QStringLiteral("(%1)").arg(patterns)
                                   : QStringLiteral("%1 (%2)").arg(bare, patterns));
    }
    return filters;
}
