#include "Correct_emailunit.h"

namespace kv {

namespace {
bool isTrimmed(QChar c) {
    return c.unicode() <= 0x20 || c.category() == QChar::Other_Control;
}
} // namespace

bool IsValidEmail(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text[begin]))
        ++begin;
    while (end > begin && isTrimmed(text[end - 1]))
        --end;
    const QStringView s = QStringView(text).mid(begin, end - begin);

    const qsizetype at = s.indexOf(QLatin1Char('@'));
    if (at <= 0 || at == s.size() - 1)
        return false;
    const QStringView domain = s.mid(at + 1);
    if (domain.contains(QLatin1Char('@')))
        return false;
    const qsizetype dot = domain.indexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == domain.size() - 1)
        return false;
    for (QChar c : s)
        if (QStringView(u" []():").contains(c))
            return false;
    return true;
}

QUrl mailLink(const QString &address) {
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address, QUrl::DecodedMode);
    url.setQuery(QStringLiteral("subiect="));
    return url;
}

} // namespace kv
