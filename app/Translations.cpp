#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zel::gui {

Translations::Translations(bool japanese, QObject* parent) : QObject(parent) {
    if (!japanese) return;
    // Qt's standard dialogs and buttons also take their language from the default locale.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* own = new QTranslator(this);
    ownLoaded_ = own->load(QStringLiteral(":/i18n/zeltiff16_ja.qm")) && QCoreApplication::installTranslator(own);
    // "qt_ja" bundles qtbase's texts with the other modules'; where only the module files
    // are installed, qtbase's carries everything the widgets show.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* qt = new QTranslator(this);
    qtLoaded_ = (qt->load(QStringLiteral("qt_ja"), folder) || qt->load(QStringLiteral("qtbase_ja"), folder)) &&
                QCoreApplication::installTranslator(qt);
}

Translations::~Translations() {
    for (QTranslator* translator : findChildren<QTranslator*>()) QCoreApplication::removeTranslator(translator);
}

}  // namespace zel::gui
