#include "convert/convertoptions.h"

#include "data/channels.h"
#include "data/chartsettings.h"
#include "data/facts.h"

#include <QCommandLineParser>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace {

// Large enough for a poster, small enough that the image (4 bytes a pixel) stays reasonable.
constexpr int kLargestSide = 16384;

// Takes an option's value into the options; returns why the value is refused, or nothing.
using Setter = QString (*)(ConvertOptions &options, const QString &value);

// One option, declared once: its names, the name of its value (empty for a switch), its line of
// --help (a "\n" starts a line under the first), what it sets, and whether it answers alone
// (--help, --version: the rest of the arguments is not even read).
struct OptionRow {
    QStringList names;
    QString valueName;
    QString help;
    Setter set;
    bool answers = false;
};

template <QString ConvertOptions::*text>
QString setText(ConvertOptions &options, const QString &value) {
    options.*text = value;
    return {};
}

template <bool ConvertOptions::*asked> QString setSwitch(ConvertOptions &options, const QString &) {
    options.*asked = true;
    return {};
}

QString setSize(ConvertOptions &options, const QString &value) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX×](\\d{1,5})$"));
    const auto match = pattern.match(value);
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (!match.hasMatch() || width < 1 || height < 1 || width > kLargestSide ||
        height > kLargestSide)
        return QStringLiteral("taille « %1 » invalide : LARGEURxHAUTEUR attendu, de 1 à %2 pixels "
                              "de côté")
            .arg(value)
            .arg(kLargestSide);
    options.size = QSize(width, height);
    return {};
}

// The chart's own rule for an interval: a number of seconds above 0, with a "," or a ".".
QString setInterval(ConvertOptions &options, const QString &value) {
    const std::optional<double> seconds = parseInterval(value);
    if (!seconds)
        return QStringLiteral("intervalle « %1 » invalide : un nombre de secondes supérieur à 0 "
                              "est attendu")
            .arg(value);
    options.interval = *seconds;
    return {};
}

// The first sample's moment, as the program's files write it.
QString setStart(ConvertOptions &options, const QString &value) {
    const std::optional<QDateTime> start = parseDateTimeText(value);
    if (!start)
        return QStringLiteral("début « %1 » invalide : une date et une heure "
                              "« AAAA-MM-JJ HH:MM[:SS] » sont attendues")
            .arg(value);
    options.start = *start;
    return {};
}

const OptionRow kOptionRows[] = {
    {{"o", "output"},
     "FICHIER",
     "le tableur de l'unique enregistrement (- : sortie standard)",
     setText<&ConvertOptions::output>},
    {{"output-dir"},
     "DOSSIER",
     QStringLiteral("NOM%1 de chaque enregistrement dans DOSSIER").arg(kSpreadsheetSuffix),
     setText<&ConvertOptions::outputDir>},
    {{"png"},
     "FICHIER",
     "le graphique de l'unique enregistrement en PNG",
     setText<&ConvertOptions::png>},
    {{"png-dir"},
     "DOSSIER",
     QStringLiteral("NOM%1 de chaque enregistrement dans DOSSIER").arg(kChartSuffix),
     setText<&ConvertOptions::pngDir>},
    {{"pdf"},
     "FICHIER",
     "le rapport d'une page A4 de l'unique enregistrement :\n"
     "ses informations, son graphique, ses voies et statistiques",
     setText<&ConvertOptions::pdf>},
    {{"size"},
     "LxH",
     QStringLiteral("taille du graphique en pixels (%1x%2 par défaut)")
         .arg(chart::kDefaultImageSize.width())
         .arg(chart::kDefaultImageSize.height()),
     setSize},
    {{"interval"},
     "SECONDES",
     "SECONDES > 0 entre deux échantillons : axe du temps\n"
     "(sans elle, l'axe compte les échantillons)",
     setInterval},
    {{"mesures"},
     {},
     QStringLiteral("le tableur en mesures, NOM%1 : temps, noms,\n"
                    "unités et valeurs étalonnées des voies (UTF-8,\n"
                    "virgule décimale avec une langue française)")
         .arg(kMeasuresSuffix),
     setSwitch<&ConvertOptions::measures>},
    {{"settings"},
     "FICHIER",
     "le param.ini d'où --mesures et les graphiques prennent\n"
     "les noms, unités et étalonnages des voies, et\n"
     "l'intervalle sans --interval (sans elle : valeurs brutes)",
     setText<&ConvertOptions::settings>},
    {{"debut"},
     "DATE",
     "la date et l'heure du premier échantillon, « AAAA-MM-JJ\n"
     "HH:MM[:SS] » : avec un intervalle, --mesures ajoute la\n"
     "colonne « Date et heure » et le graphique montre l'heure",
     setStart},
    {{"h", "help"}, {}, "affiche cette aide", setSwitch<&ConvertOptions::help>, true},
    {{"V", "version"}, {}, "affiche la version", setSwitch<&ConvertOptions::version>, true},
};

const OptionRow &rowNamed(const QString &name) {
    return *std::find_if(std::begin(kOptionRows), std::end(kOptionRows),
                         [&](const OptionRow &row) { return row.names.contains(name); });
}

// An option's name as typed: "-o", "--output".
QString dashed(const QString &name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

ParsedOptions refuse(const QString &reason) {
    return {std::nullopt, reason};
}

} // namespace

namespace {

// What makes options that each make sense wrong together, or empty when nothing does.
QString combinationFault(const ConvertOptions &options) {
    if (options.recordings.isEmpty()) return QStringLiteral("aucun enregistrement donné");
    if (!options.output.isEmpty() && !options.outputDir.isEmpty())
        return QStringLiteral("-o et --output-dir s'excluent");
    if (!options.png.isEmpty() && !options.pngDir.isEmpty())
        return QStringLiteral("--png et --png-dir s'excluent");
    if (options.recordings.size() > 1 && !options.output.isEmpty())
        return QStringLiteral("-o ne vaut que pour un seul enregistrement ; pour plusieurs, "
                              "utilisez --output-dir");
    if (options.recordings.size() > 1 && !options.png.isEmpty())
        return QStringLiteral("--png ne vaut que pour un seul enregistrement ; pour "
                              "plusieurs, utilisez --png-dir");
    if (options.recordings.size() > 1 && !options.pdf.isEmpty())
        return QStringLiteral("--pdf ne vaut que pour un seul enregistrement");
    if (!options.settings.isEmpty() && !options.measures && !options.wantsCharts())
        return QStringLiteral("--settings ne vaut qu'avec --mesures, --png, --png-dir ou --pdf");
    if (options.png == QLatin1String("-"))
        return QStringLiteral("le graphique ne peut pas aller sur la sortie standard");
    if (options.pdf == QLatin1String("-"))
        return QStringLiteral("le rapport ne peut pas aller sur la sortie standard");
    if (options.recordings.contains(QStringLiteral("-")))
        return QStringLiteral("les enregistrements se lisent dans des fichiers, pas sur "
                              "l'entrée standard");
    return {};
}

} // namespace

ParsedOptions parseConvertOptions(const QStringList &arguments) {
    QCommandLineParser parser;
    for (const OptionRow &row : kOptionRows)
        parser.addOption(QCommandLineOption(row.names, row.help, row.valueName));
    // "-oFILE" is -o with its value; "-" is a name and "--" ends the options, as the parser has it.
    const bool parsed = parser.parse(QStringList(QStringLiteral("volterne-convert")) + arguments);
    const QStringList found = parser.optionNames();

    ConvertOptions options;
    // --help and --version win over everything else, even what makes no sense.
    for (const QString &name : found) {
        if (const OptionRow &row = rowNamed(name); row.answers) {
            row.set(options, {});
            return {options, {}};
        }
    }
    if (!parser.unknownOptionNames().isEmpty())
        return refuse(
            QStringLiteral("option inconnue « %1 »").arg(dashed(parser.unknownOptionNames()[0])));
    // The parser's one other fault: the last argument is an option that wants a value.
    if (!parsed)
        return refuse(
            found.isEmpty()
                ? parser.errorText()
                : QStringLiteral("l'option « %1 » attend une valeur").arg(dashed(found.last())));

    // Values in the order given, so that the first wrong one is the one told.
    QHash<const OptionRow *, qsizetype> taken;
    for (const QString &name : found) {
        const OptionRow &row = rowNamed(name);
        if (row.valueName.isEmpty()) {
            row.set(options, {});
            continue;
        }
        const QString value = parser.values(name).at(taken[&row]++);
        if (value.isEmpty())
            return refuse(QStringLiteral("l'option « %1 » attend une valeur").arg(dashed(name)));
        if (const QString reason = row.set(options, value); !reason.isEmpty())
            return refuse(reason);
    }
    options.recordings = parser.positionalArguments();

    if (const QString fault = combinationFault(options); !fault.isEmpty()) return refuse(fault);
    return {options, {}};
}

QString convertUsage() {
    QStringList header;
    for (const QLatin1StringView name : kChannelNames)
        header << name;
    QString text =
        QStringLiteral(
            "Usage : volterne-convert [options] ENREGISTREMENT...\n"
            "\n"
            "Convertit des enregistrements de la platine (transfert_*.txt) en fichiers tableur\n"
            "séparés par des points-virgules, octet pour octet comme « Conversion Fichier » :\n"
            "l'en-tête « %1 », trois valeurs par ligne, fins de ligne CR LF.\n"
            "Sans -o ni --output-dir, NOM%2 s'écrit à côté de chaque enregistrement NOM.txt.\n"
            "Avec --mesures, c'est NOM%3, en valeurs physiques : voir ci-dessous.\n"
            "\n"
            "Options :\n")
            .arg(header.join(u';'), kSpreadsheetSuffix, kMeasuresSuffix);
    for (const OptionRow &row : kOptionRows) {
        QStringList names;
        for (const QString &name : row.names)
            names << dashed(name);
        const QString left = names.join(QStringLiteral(", ")) +
                             (row.valueName.isEmpty() ? QString() : u' ' + row.valueName);
        text += QStringLiteral("  %1 %2\n")
                    .arg(left, -22)
                    .arg(QString(row.help).replace(u'\n', u'\n' + QString(25, u' ')));
    }
    text +=
        QStringLiteral(
            "\n"
            "Le tableur s'écrit au fil de la lecture, en mémoire bornée. Un graphique garde\n"
            "6 octets par échantillon : avec lui, un enregistrement de 1 Go prend environ\n"
            "350 Mio de mémoire.\n"
            "\n"
            "Le tableur en mesures a les mêmes lignes : l'en-tête « Temps (s);Date et heure;\n"
            "%1 (V);... » (le temps quand l'intervalle est connu, la date et l'heure quand le\n"
            "début l'est aussi), puis chaque échantillon, son temps, sa date et son heure et\n"
            "ses valeurs étalonnées ; un champ invalide donne une cellule vide.\n"
            "\n"
            "Le fichier NOM.ini que la fenêtre écrit à côté d'un enregistrement (son\n"
            "intervalle, ses voies, son début) vaut pour ce que les options ne donnent pas.\n"
            "\n"
            "Code de sortie : %2 tout va bien ; %3 des champs invalides (cellules vides) ou un\n"
            "enregistrement abîmé (fichiers écrits quand même) ; %4 erreur d'usage ou fichier\n"
            "illisible ou impossible à écrire\n"
            "(les autres enregistrements sont convertis quand même).\n")
            .arg(kChannelNames[0])
            .arg(kConvertDone)
            .arg(kConvertDoubtful)
            .arg(kConvertFailed);
    return text;
}
