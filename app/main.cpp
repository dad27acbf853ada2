// zeltiff16: the desktop application. Movie paths on the command line open at start-up
// (with correction); --language en|ja picks the language of the texts.

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>

#include "ZelVersion.h"
#include "app/CommandLine.h"
#include "app/Translations.h"
#include "app/ZelTiff16App.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZelTiff16"));
    QApplication::setOrganizationName(QStringLiteral("orv"));
    QApplication::setApplicationVersion(QString::fromLatin1(zel::kVersionString));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Views, measures and converts high-speed camera movies (.zel)"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption language(QStringLiteral("language"), QStringLiteral("Language of the texts: en or ja"),
                                      QStringLiteral("en|ja"));
    parser.addOption(language);
    parser.addPositionalArgument(QStringLiteral("movies"), QStringLiteral("Movie files to open"), QStringLiteral("[MOVIE...]"));
    parser.process(application);

    // 0 leaves the system's choice, 1 English, 2 Japanese.
    const QString chosen = parser.value(language);
    const int uiLanguage = chosen == QLatin1String("ja") ? 2 : chosen == QLatin1String("en") ? 1 : 0;
    const bool japanese = uiLanguage == 2 || (uiLanguage == 0 && QLocale::system().language() == QLocale::Japanese);
    const zel::gui::Translations translations(japanese);

    zel::gui::CZelTiff16App app(std::make_unique<zel::gui::StandardDialogs>(), japanese ? 2 : uiLanguage);
    if (!app.InitInstance(zel::gui::MovieArguments(argc, argv, parser.positionalArguments()))) return 1;
    return QApplication::exec();
}
