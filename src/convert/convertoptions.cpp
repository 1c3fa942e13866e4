#include "convert/convertoptions.h"

#include <QRegularExpression>

#include <cmath>

namespace {

// Large enough for a poster, small enough that the image (4 bytes a pixel) stays reasonable.
constexpr int kLargestSide = 16384;

std::optional<QSize> parseSize(const QString &text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX×](\\d{1,5})$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch()) return std::nullopt;
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide)
        return std::nullopt;
    return QSize(width, height);
}

std::optional<double> parseInterval(QString text) {
    text.replace(QLatin1Char(','), QLatin1Char('.')); // a French decimal comma is welcome
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0) return std::nullopt;
    return seconds;
}

ParsedOptions refuse(const QString &reason) {
    return {std::nullopt, reason};
}

} // namespace

ParsedOptions parseConvertOptions(const QStringList &arguments) {
    ConvertOptions options;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        if (optionsEnded || argument == QLatin1String("-") || !argument.startsWith(u'-')) {
            options.recordings << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            options.help = true;
            return {options, {}};
        }
        if (argument == QLatin1String("-V") || argument == QLatin1String("--version")) {
            options.version = true;
            return {options, {}};
        }
        // Every other option takes a value: "--name VALUE", "--name=VALUE" or "-oVALUE".
        QString name = argument;
        std::optional<QString> value;
        if (argument.startsWith(QLatin1String("--")) && argument.contains(u'=')) {
            name = argument.section(u'=', 0, 0);
            value = argument.section(u'=', 1);
        } else if (argument.startsWith(QLatin1String("-o")) && argument.size() > 2) {
            name = QStringLiteral("-o");
            value = argument.mid(2);
        }
        static const QStringList known = {
            QStringLiteral("-o"),           QStringLiteral("--output"),
            QStringLiteral("--output-dir"), QStringLiteral("--png"),
            QStringLiteral("--png-dir"),    QStringLiteral("--size"),
            QStringLiteral("--interval")};
        if (!known.contains(name))
            return refuse(QStringLiteral("option inconnue « %1 »").arg(argument));
        if (!value) {
            if (i + 1 >= arguments.size())
                return refuse(QStringLiteral("l'option « %1 » attend une valeur").arg(name));
            value = arguments[++i];
        }
        if (value->isEmpty())
            return refuse(QStringLiteral("l'option « %1 » attend une valeur").arg(name));
        if (name == QLatin1String("-o") || name == QLatin1String("--output")) {
            options.output = *value;
        } else if (name == QLatin1String("--output-dir")) {
            options.outputDir = *value;
        } else if (name == QLatin1String("--png")) {
            options.png = *value;
        } else if (name == QLatin1String("--png-dir")) {
            options.pngDir = *value;
        } else if (name == QLatin1String("--size")) {
            const auto size = parseSize(*value);
            if (!size)
                return refuse(QStringLiteral("taille « %1 » invalide : LARGEURxHAUTEUR attendu, "
                                             "de 1 à %2 pixels de côté")
                                  .arg(*value)
                                  .arg(kLargestSide));
            options.size = *size;
        } else {
            const auto interval = parseInterval(*value);
            if (!interval)
                return refuse(QStringLiteral("intervalle « %1 » invalide : un nombre de secondes "
                                             "positif ou nul est attendu")
                                  .arg(*value));
            options.interval = *interval;
        }
    }

    if (options.recordings.isEmpty()) return refuse(QStringLiteral("aucun enregistrement donné"));
    if (!options.output.isEmpty() && !options.outputDir.isEmpty())
        return refuse(QStringLiteral("-o et --output-dir s'excluent"));
    if (!options.png.isEmpty() && !options.pngDir.isEmpty())
        return refuse(QStringLiteral("--png et --png-dir s'excluent"));
    if (options.recordings.size() > 1 && !options.output.isEmpty())
        return refuse(QStringLiteral("-o ne vaut que pour un seul enregistrement ; pour plusieurs, "
                                     "utilisez --output-dir"));
    if (options.recordings.size() > 1 && !options.png.isEmpty())
        return refuse(QStringLiteral("--png ne vaut que pour un seul enregistrement ; pour "
                                     "plusieurs, utilisez --png-dir"));
    if (options.png == QLatin1String("-"))
        return refuse(QStringLiteral("le graphique ne peut pas aller sur la sortie standard"));
    if (options.recordings.contains(QStringLiteral("-")))
        return refuse(QStringLiteral("les enregistrements se lisent dans des fichiers, pas sur "
                                     "l'entrée standard"));
    return {options, {}};
}

QString convertUsage() {
    return QStringLiteral(
        "Usage : volterne-convert [options] ENREGISTREMENT...\n"
        "\n"
        "Convertit des enregistrements de la platine (transfert_*.txt) en fichiers tableur\n"
        "séparés par des points-virgules, octet pour octet comme « Conversion Fichier » :\n"
        "l'en-tête « Voie1;Voie2;Voie3 », trois valeurs par ligne, fins de ligne CR LF.\n"
        "Sans -o ni --output-dir, NOM.csv s'écrit à côté de chaque enregistrement NOM.txt.\n"
        "\n"
        "Options :\n"
        "  -o, --output FICHIER   le tableur de l'unique enregistrement (- : sortie standard)\n"
        "  --output-dir DOSSIER   NOM.csv de chaque enregistrement dans DOSSIER\n"
        "  --png FICHIER          le graphique de l'unique enregistrement en PNG\n"
        "  --png-dir DOSSIER      NOM.png de chaque enregistrement dans DOSSIER\n"
        "  --size LxH             taille du graphique en pixels (1200x600 par défaut)\n"
        "  --interval SECONDES    secondes entre deux échantillons : axe du temps\n"
        "                         (sans elle, l'axe compte les échantillons)\n"
        "  -h, --help             affiche cette aide\n"
        "  -V, --version          affiche la version\n"
        "\n"
        "Le tableur s'écrit au fil de la lecture, en mémoire bornée. Un graphique garde\n"
        "6 octets par échantillon, environ 330 Mo pour un enregistrement de 1 Go.\n"
        "\n"
        "Code de sortie : 0 tout va bien ; 1 des champs invalides (cellules vides) ou un\n"
        "enregistrement abîmé (fichiers écrits quand même) ; 2 erreur d'usage ou fichier\n"
        "illisible ou impossible à écrire\n"
        "(les autres enregistrements sont convertis quand même).\n");
}
