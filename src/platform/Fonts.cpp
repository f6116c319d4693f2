#include "Fonts.h"

#include <QFile>
#include <QStringList>
#include <fontconfig/fontconfig.h>

namespace kv::Fonts {

namespace {

const char *const kWineFonts = "/usr/share/wine/fonts";

QStringList acceptedFamilies(const QString &family) {
    if (family.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                QStringLiteral("Arimo")};
    return {family};
}

bool resolves(FcConfig *config, const QString &family) {
    bool found = false;
    const QByteArray name = family.toUtf8();
    FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>(name.constData()));
    if (!pattern)
        return false;
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern *match = FcFontMatch(config, pattern, &result)) {
        FcChar8 *resolved = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &resolved) == FcResultMatch && resolved) {
            const QString got = QString::fromUtf8(reinterpret_cast<const char *>(resolved));
            for (const QString &accepted : acceptedFamilies(family))
                found = found || got.compare(accepted, Qt::CaseInsensitive) == 0;
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return found;
}

} // namespace

void registerExtraFonts() {
    static bool registered = false;
    if (registered || !FcInit())
        return;
    registered = true;
    if (QFile::exists(QString::fromLatin1(kWineFonts)))
        FcConfigAppFontAddDir(nullptr, reinterpret_cast<const FcChar8 *>(kWineFonts));
}

bool isInstalled(const QString &family, const QString &configFile) {
    if (configFile.isEmpty()) {
        if (!FcInit())
            return false;
        return resolves(FcConfigGetCurrent(), family);
    }
    FcConfig *config = FcConfigCreate();
    const QByteArray file = QFile::encodeName(configFile);
    bool found = false;
    if (FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8 *>(file.constData()), FcTrue) &&
        FcConfigBuildFonts(config))
        found = resolves(config, family);
    FcConfigDestroy(config);
    return found;
}

} // namespace kv::Fonts
