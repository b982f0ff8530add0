#include "core/files/PathShortening.h"

#include <QStringList>

namespace kelm {

QString ShortenPath(const QString& path, const std::function<bool(const QString&)>& fits) {
    if (fits(path))
        return path;
    const QChar separator = path.contains(u'\\') && !path.contains(u'/') ? u'\\' : u'/';
    QStringList parts = path.split(separator);
    const QString name = parts.takeLast();
    if (parts.isEmpty())
        return name;
    // The first part is the root: empty for "/x", a drive such as "C:", or a first folder.
    const QString root = parts.takeFirst();
    const QString dots = QStringLiteral("...");
    while (!parts.isEmpty()) {
        parts.removeFirst();
        QStringList pieces{root, dots};
        pieces += parts;
        pieces << name;
        const QString candidate = pieces.join(separator);
        if (fits(candidate))
            return candidate;
    }
    const QString dotted = dots + separator + name;
    return fits(dotted) ? dotted : name;
}

} // namespace kelm
