#include "Fonts.h"

#include <QDir>
#include <QFontDatabase>
#include <QStringList>
#include <fontconfig/fontconfig.h>

namespace kv::Fonts {

namespace {

QStringList acceptedFamilies(const QString &family) {
    if (family.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")};
    return {family};
}

bool fontconfigResolves(const QString &family) {
    FcConfig *config = FcInitLoadConfigAndFonts();
    if (!config)
        return false;
    bool found = false;
    FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>(family.toUtf8().constData()));
    if (pattern) {
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern *match = FcFontMatch(config, pattern, &result);
        if (match) {
            FcChar8 *name = nullptr;
            if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name) {
                const QString resolved = QString::fromUtf8(reinterpret_cast<const char *>(name));
                for (const QString &accepted : acceptedFamilies(family))
                    found = found || resolved.compare(accepted, Qt::CaseInsensitive) == 0;
            }
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    return found;
}

QStringList &registeredFamilies() {
    static QStringList families;
    return families;
}

} // namespace

void registerExtraFonts() {
    const QDir wine(QStringLiteral("/usr/share/wine/fonts"));
    for (const QString &file : wine.entryList({QStringLiteral("tahoma*.ttf")}, QDir::Files)) {
        const int id = QFontDatabase::addApplicationFont(wine.filePath(file));
        if (id >= 0)
            registeredFamilies() << QFontDatabase::applicationFontFamilies(id);
    }
}

bool isInstalled(const QString &family) {
    // Fonts registered with the application (Tahoma from Wine) count as well.
    if (registeredFamilies().contains(family, Qt::CaseInsensitive))
        return true;
    return fontconfigResolves(family);
}

} // namespace kv::Fonts
